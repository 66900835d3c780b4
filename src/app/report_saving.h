#pragma once
// What a windowed program does with the report of every format run that touched the drive: save it
// in the user's reports folder and say where in the format log, or why it could not be saved. The
// run's outcome does not depend on it.

#include <filesystem>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "format/format_command.h"
#include "os/system.h"

namespace trelvane {

void SaveReportAndSaySo(System& system, const ProgramState& state, DiagnosticLog& log,
                        const FormatCommandOutcome& outcome, const std::filesystem::path& folder);

}  // namespace trelvane
