#pragma once
// Whether the windowed program may work with disks as it was started, and the command line that
// starts it again with administrator rights. No operating-system call here: the facts come in, the
// decision and the words go out (launch/elevation_launcher.cpp does the calls).

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace trelvane {

struct ElevationFacts {
  bool administrator = false;  // the effective user may open block devices for writing
  bool emulated = false;       // TRELVANE_MACHINE names a machine: no real disk is reached
  bool relaunchable = false;   // the platform asks for rights through a polkit helper
};

enum class ElevationStep { RunHere, Relaunch };

ElevationStep ChooseElevationStep(const ElevationFacts& facts);

// Reads one environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The polkit helper clears the environment; the relaunched program gets back, through `env`, what it
// needs to reach the user's display and the drive list the user narrowed.
std::vector<std::string> ElevatedCommandLine(const std::string& programPath, const std::vector<std::string>& arguments,
                                             const EnvironmentLookup& environment);

// The helper's own exit codes when the user dismissed the dialog (126) or was not authorised or it
// could not start the program (127). The program itself never ends with either.
bool ElevationWasRefused(int exitCode);

// The message box shown when the rights could not be obtained.
inline constexpr const char16_t* AdministratorRightsNeededText =
    u"Для работы с дисками нужны права администратора.\n\n"
    u"Запустите программу от имени администратора: sudo trelvane или pkexec trelvane.";

}  // namespace trelvane
