#pragma once
// The format button's command: confirmation, header lines, locking the drive's volumes, the zero fill
// (whole drive or quick wipe), the refresh of the system's view of the drive, the release of the
// volumes and, after a run that wrote something, the reminder to create new partitions. A
// write-protected disk is refused before its volumes are touched.

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include <optional>

#include "format/command_controls.h"
#include "format/verification.h"
#include "format/zero_fill.h"
#include "os/system.h"
#include "platform/task_dialog.h"

namespace trelvane {

struct FormatCommandOutcome {
  bool confirmed = false;  // the user answered Yes
  bool writeProtected = false;  // the disk refuses writes as a whole: refused before anything was locked
  bool locked = false;     // every volume of the drive was locked, so the run took place
  ZeroFillOutcome run{};   // meaningful only when locked
  // Present when the verification box was checked and the run completed.
  std::optional<VerificationOutcome> verification;
  bool quick = false;  // the run was a quick wipe
  // The local time the run began and ended; read only when the caller asked for them (a report).
  SystemTime started{};
  SystemTime ended{};

  // The run wrote to the drive (completed, stopped or aborted), so it gets an erasure report.
  bool TouchedDrive() const { return locked && run.ending != ZeroFillOutcome::Ending::Refused; }

  // Every byte written and confirmed, and, when a verification ran, every byte read back as zero.
  bool Succeeded() const { return locked && run.WholeAndFlushed() && (!verification || verification->Clean()); }
};

// Runs the command on the selected drive (state.SelectedEntry(), state.DriveHandle,
// state.DriveTitle). The quick-wipe and verification boxes are read once, before the confirmation.
// Told about a run that touched the drive, after the volumes are released and before the command's
// closing lines, so a front end can save its erasure report and say where.
class RunReporter {
 public:
  virtual ~RunReporter() = default;
  virtual void RunEnded(const FormatCommandOutcome& outcome) = 0;
};

// With a `reporter` the clock is also read before and after the run, for the report's times.
FormatCommandOutcome FormatCommand(System& system, ProgramState& state, DiagnosticLog& log,
                                   ProgressView& view, CommandControls& controls,
                                   TaskDialogPresenter& dialogs, RunReporter* reporter = nullptr);

}  // namespace trelvane
