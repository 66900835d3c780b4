#include "launch/make_system.h"

#include <cstdlib>
#include <filesystem>

#include "backends/emulated/emulated_system.h"
#ifdef TRELVANE_WINDOWS
#include "backends/windows/windows_system.h"
#else
#include "backends/linux/linux_system.h"
#endif

namespace trelvane {

namespace {

// The emulated machine file named by TRELVANE_MACHINE; empty when none. Read as wide text on Windows,
// where the narrow environment holds the ANSI code page and loses other characters.
std::filesystem::path MachineFile() {
#ifdef TRELVANE_WINDOWS
  const wchar_t* machine = _wgetenv(L"TRELVANE_MACHINE");
#else
  const char* machine = std::getenv("TRELVANE_MACHINE");
#endif
  return machine != nullptr ? std::filesystem::path(machine) : std::filesystem::path();
}

}  // namespace

std::unique_ptr<System> MakeSystem(int argc, char** argv) {
  const std::filesystem::path machine = MachineFile();
  if (!machine.empty()) {
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
