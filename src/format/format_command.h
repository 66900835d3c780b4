#pragma once
// The format button's command: confirmation, header lines, locking the drive's volumes, the run of the
// requested erase method and its verification, the refresh of the system's view of the drive, the
// release of the volumes, the erasure report and, after a run that wrote something, the reminder to
// create new partitions. A write-protected disk is refused before its volumes are touched.

#include <filesystem>
#include <optional>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"

#include "format/command_controls.h"
#include "format/erase_job.h"
#include "format/erase_method.h"
#include "format/erase_outcome.h"
#include "os/system.h"
#include "shell/task_dialog.h"

namespace trelvane {

struct FormatCommandOutcome {
  bool confirmed = false;  // the user answered Yes
  bool writeProtected = false;  // the disk refuses writes as a whole: refused before anything was locked
  bool locked = false;     // every volume of the drive was locked, so the run took place
  EraseRunOutcome run{};  // meaningful only when locked
  // Present when the request asked for a verification and the run completed.
  std::optional<VerificationOutcome> verification;
  const EraseMethod* method = &WholeDiskZeroFill();  // the method the request named
  // The local time the run began and ended; read only when the request asked for a report.
  SystemTime started{};
  SystemTime ended{};

  // The run wrote to the drive (completed, stopped or aborted), so it gets an erasure report.
  bool TouchedDrive() const { return locked && run.ending != EraseRunOutcome::Ending::Refused; }

  // Every byte written and confirmed, and, when a verification ran, every byte read back as zero.
  bool Succeeded() const { return locked && run.WholeAndFlushed() && (!verification || verification->Clean()); }
};

// Saves the erasure report of a run that touched the drive in the request's report folder, after the
// volumes are released and before the command's closing lines, and says where it went (or why it
// could not be saved) in the front end's own place. The reports sit above the format command, so the
// front end, which knows both, does the saving.
class RunReporter {
 public:
  virtual ~RunReporter() = default;
  virtual void SaveReport(const FormatCommandOutcome& outcome, const std::filesystem::path& folder) = 0;
};

// Runs the command on the selected drive (state.SelectedEntry(), state.DriveHandle, state.DriveTitle)
// as the front end's `request` says, with `stop` as the run's Stop. A run that touched the drive has
// `reporter` save its erasure report in the request's report folder, when it names one; the clock is then also read before and after the run, for the report's times.
FormatCommandOutcome FormatCommand(System& system, ProgramState& state, DiagnosticLog& log,
                                   ProgressView& view, CommandControls& controls, TaskDialogPresenter& dialogs,
                                   const EraseRequest& request, StopToken stop, RunReporter* reporter = nullptr);

}  // namespace trelvane
