#pragma once
// The real Windows backend: every call goes to the Win32 function of the same name.

#include <memory>

#include "os/system.h"

namespace trelvane {

std::unique_ptr<System> MakeWindowsSystem();

}  // namespace trelvane
