// The windowed program asks for administrator rights only when it would reach real disks without
// them, and the relaunched program gets back what it needs to reach the user's display.

#include <gtest/gtest.h>

#include <map>

#include "app/elevation.h"

namespace trelvane {
namespace {

struct StepCase {
  ElevationFacts facts;
  ElevationStep expected;
};

TEST(ChooseElevationStep, RelaunchesOnlyAnOrdinaryUserOnRealDisks) {
  const StepCase cases[] = {
      {{false, false, true}, ElevationStep::Relaunch},  // ordinary user, real disks
      {{true, false, true}, ElevationStep::RunHere},    // already root
      {{false, true, true}, ElevationStep::RunHere},    // emulated machine
      {{false, false, false}, ElevationStep::RunHere},  // the platform asks before the start
  };
  for (const StepCase& c : cases)
    EXPECT_EQ(ChooseElevationStep(c.facts), c.expected)
        << c.facts.administrator << c.facts.emulated << c.facts.relaunchable;
}

struct CommandLineCase {
  std::map<std::string, std::string> environment;
  std::vector<std::string> arguments;
  std::vector<std::string> expected;
};

TEST(ElevatedCommandLine, PassesTheDisplayAndDriveListThroughEnvThenTheArguments) {
  const CommandLineCase cases[] = {
      {{}, {}, {"pkexec", "env", "/usr/bin/trelvane"}},
      {{{"DISPLAY", ":1"}, {"XAUTHORITY", "/run/user/1000/xauth"}, {"PATH", "/bin"}, {"HOME", "/home/u"}},
       {"--debug"},
       {"pkexec", "env", "DISPLAY=:1", "XAUTHORITY=/run/user/1000/xauth", "/usr/bin/trelvane", "--debug"}},
      // X11 without XAUTHORITY: the cookie is in the user's home.
      {{{"DISPLAY", ":0"}, {"HOME", "/home/u"}},
       {},
       {"pkexec", "env", "DISPLAY=:0", "XAUTHORITY=/home/u/.Xauthority", "/usr/bin/trelvane"}},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", "/run/user/1000"}, {"HOME", "/home/u"},
        {"QT_QPA_PLATFORM", "wayland"}, {"TRELVANE_DRIVES", "/dev/sdb"}},
       {"--debug", "extra word"},
       {"pkexec", "env", "WAYLAND_DISPLAY=wayland-0", "XDG_RUNTIME_DIR=/run/user/1000", "QT_QPA_PLATFORM=wayland",
        "TRELVANE_DRIVES=/dev/sdb", "/usr/bin/trelvane", "--debug", "extra word"}},
  };
  for (const CommandLineCase& c : cases) {
    const auto lookup = [&c](const std::string& name) -> std::optional<std::string> {
      const auto found = c.environment.find(name);
      return found != c.environment.end() ? std::optional<std::string>(found->second) : std::nullopt;
    };
    EXPECT_EQ(ElevatedCommandLine("/usr/bin/trelvane", c.arguments, lookup), c.expected);
  }
}

}  // namespace
}  // namespace trelvane
