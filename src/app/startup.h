#pragma once
// What happens between the start of the process and the drive chooser.

#include <string>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "os/system.h"

namespace trelvane {

// Reads the debug switch from `firstArgument`, writes the environment lines, passes the platform and
// setup-library gates, sets the window titles, enumerates the drives and writes the data-loss
// warning. Fatal conditions show their box and throw ProgramTermination; a failing process-type
// query throws StartupError.
void RunStartup(System& system, ProgramState& state, DiagnosticLog& log, MessageBoxes& boxes,
                StartupWindows& windows, const std::u16string& firstArgument);

// True when the process is a 32-bit process on a 64-bit system. Throws StartupError when the query
// exists but fails.
bool IsWow64(System& system);

}  // namespace trelvane
