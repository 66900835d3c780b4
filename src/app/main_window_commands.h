#pragma once
// The main window's pages and the commands they offer, without widgets: which command Enter
// starts on each page, and the SMART command with the command controls held disabled while it runs.
// The format command itself is FormatCommand, which does its own enabling.

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "format/command_controls.h"
#include "os/system.h"

namespace trelvane {

// The pages in their order on the window.
enum class MainPage { Details, Format, Smart };

enum class PageCommand { None, Format, GetSmart };

// The command that a page's default button starts (Enter where no focused button takes it).
PageCommand DefaultCommandOf(MainPage page);

// The SMART report into `smart`, with the three command controls disabled while it is read.
void GetSmartCommand(System& system, ProgramState& state, DiagnosticLog& log, CommandControls& controls,
                     LineSink& smart);

}  // namespace trelvane
