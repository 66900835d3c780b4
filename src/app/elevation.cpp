#include "app/elevation.h"

namespace trelvane {

namespace {

// What the relaunched program reads from its environment: the display (X11 or Wayland), the Qt
// platform the user chose, and the drive list.
constexpr const char* PassedVariables[] = {"DISPLAY",         "XAUTHORITY",     "WAYLAND_DISPLAY",
                                           "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM", "TRELVANE_DRIVES"};

// Without XAUTHORITY the X server's cookie is in the user's home, which root would not look in.
std::optional<std::string> XAuthorityOf(const EnvironmentLookup& environment) {
  if (auto file = environment("XAUTHORITY")) return file;
  if (!environment("DISPLAY")) return std::nullopt;
  const auto home = environment("HOME");
  return home ? std::optional<std::string>(*home + "/.Xauthority") : std::nullopt;
}

}  // namespace

ElevationStep ChooseElevationStep(const ElevationFacts& facts) {
  const bool needsRights = !facts.administrator && !facts.emulated;
  return needsRights && facts.relaunchable ? ElevationStep::Relaunch : ElevationStep::RunHere;
}

std::vector<std::string> ElevatedCommandLine(const std::string& programPath, const std::vector<std::string>& arguments,
                                             const EnvironmentLookup& environment) {
  std::vector<std::string> words = {"pkexec", "env"};
  for (const char* name : PassedVariables) {
    const auto value = std::string(name) == "XAUTHORITY" ? XAuthorityOf(environment) : environment(name);
    if (value) words.push_back(std::string(name) + "=" + *value);
  }
  words.push_back(programPath);
  words.insert(words.end(), arguments.begin(), arguments.end());
  return words;
}

bool ElevationWasRefused(int exitCode) { return exitCode == 126 || exitCode == 127; }

}  // namespace trelvane
