#pragma once

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "os/system.h"

namespace trelvane {

// Tries \\.\PhysicalDrive0 upwards until 15 drives are found, probes each and fills DriveTable and
// DriveCount; sets the chooser's status text "Найдено дисков: N".
void EnumerateDrives(System& system, DiagnosticLog& log, MessageBoxes& boxes, StartupWindows& windows,
                     ProgramState& state);

}  // namespace trelvane
