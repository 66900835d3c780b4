#pragma once
// The format button's command: confirmation, header lines, locking the drive's volumes, the zero fill
// (whole drive or quick wipe), the refresh of the system's view of the drive, the release of the
// volumes and the reminder to create new partitions.

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "format/command_controls.h"
#include "format/zero_fill.h"
#include "os/system.h"
#include "platform/task_dialog.h"

namespace trelvane {

struct FormatCommandOutcome {
  bool confirmed = false;  // the user answered Yes
  bool locked = false;     // every volume of the drive was locked, so the run took place
  ZeroFillOutcome run{};   // meaningful only when locked
};

// Runs the command on the selected drive (state.SelectedEntry(), state.DriveHandle,
// state.DriveTitle). The quick-wipe box is read once, before the confirmation.
FormatCommandOutcome FormatCommand(System& system, ProgramState& state, DiagnosticLog& log,
                                   ProgressView& view, CommandControls& controls,
                                   TaskDialogPresenter& dialogs);

}  // namespace trelvane
