#include "backends/windows/windows_system.h"

#include "backends/windows/windows_system_impl.h"

namespace trelvane {

std::unique_ptr<System> MakeWindowsSystem() { return std::make_unique<WindowsSystem>(); }

}  // namespace trelvane
