#include "launch/elevation_launcher.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "app/elevation.h"
#include "backends/linux/process.h"

namespace trelvane {

namespace {

std::optional<std::string> Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr && *value != '\0' ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

RelaunchOutcome RelaunchWithAdministratorRights(int argc, char** argv) {
  const ElevationFacts facts{linux_platform::EffectiveUserIsRoot(), Environment("TRELVANE_MACHINE").has_value(),
                             true};
  if (ChooseElevationStep(facts) == ElevationStep::RunHere) return {};
  const std::string program = linux_platform::OwnProgramPath();
  if (program.empty()) return {RelaunchOutcome::Kind::Refused, 0};
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto exitCode = linux_platform::RunAndWait(ElevatedCommandLine(program, arguments, Environment));
  if (!exitCode || ElevationWasRefused(*exitCode)) return {RelaunchOutcome::Kind::Refused, 0};
  return {RelaunchOutcome::Kind::Ended, *exitCode};
}

}  // namespace trelvane
