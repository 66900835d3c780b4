#include "app/main_window_commands.h"

#include <array>

#include "ata/smart_report.h"

namespace trelvane {

namespace {

// Indexed by MainPage. The details page has no command.
constexpr std::array<PageCommand, 3> PageDefaults{PageCommand::None, PageCommand::Format, PageCommand::GetSmart};

}  // namespace

PageCommand DefaultCommandOf(MainPage page) {
  const auto slot = static_cast<std::size_t>(page);
  return slot < PageDefaults.size() ? PageDefaults[slot] : PageCommand::None;
}

void GetSmartCommand(System& system, ProgramState& state, DiagnosticLog& log, CommandControls& controls,
                     LineSink& smart) {
  SetCommandsEnabled(controls, false);
  ShowSmartData(system, state, log, smart);
  SetCommandsEnabled(controls, true);
}

}  // namespace trelvane
