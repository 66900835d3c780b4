#include "backend/make_system.h"

#include <cstdlib>

#include "platform/emulated/emulated_system.h"
#ifdef TRELVANE_WINDOWS
#include "platform/windows/windows_system.h"
#else
#include "platform/linux/linux_system.h"
#endif

namespace trelvane {

std::unique_ptr<System> MakeSystem(int argc, char** argv) {
  const char* machine = std::getenv("TRELVANE_MACHINE");
  if (machine != nullptr && *machine != '\0') {
    try {
      return LoadEmulatedMachine(machine);
    } catch (const MachineFileError& error) {
      throw BackendError(error.what());
    }
  }
#ifdef TRELVANE_WINDOWS
  (void)argc;
  (void)argv;
  return MakeWindowsSystem();
#else
  return MakeLinuxSystem(argc > 0 ? argv[0] : "");
#endif
}

}  // namespace trelvane
