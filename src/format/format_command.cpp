#include "format/format_command.h"

#include <cstdint>
#include <vector>

#include "common/product.h"
#include "format/run_plan.h"
#include "format/volume_lock.h"
#include "format/write_errors.h"
#include "os/win_constants.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr const char16_t* ConfirmationQuestion =
    u"Вы абсолютно уверены, что хотите безвозвратно уничтожить все данные на этом устройстве?\r\n\r\n";

bool ConfirmDestruction(System& system, TaskDialogPresenter& dialogs, const ProgramState& state,
                        const EraseRequest& request) {
  const int answer = ShowTaskDialog(
      system, dialogs, u"Предупреждение", u"Все данные на выбранном устройстве будут потеряны",
      ConfirmationQuestion + state.DriveTitle + request.method->ConfirmationLines() +
          RunPlanLines(state.SelectedEntry(), request, system.GetRegionalSettings().decimalSeparator),
      TaskDialogIcon::Warning, TaskDialogButton::Yes | TaskDialogButton::Cancel);
  return answer == DialogResult::Yes;
}

void LogHeader(DiagnosticLog& log, const ProgramState& state, const TDeviceTable& drive) {
  log.AddFormatLogLine(u" ");
  log.AddFormatLogLine(u"=================================================");
  log.AddFormatLogLine(std::u16string(ProductLine) + u"; " + MakerWebAddress);
  log.AddFormatLogLine(u"Низкоуровневое форматирование: " + state.DriveTitle);
  log.AddFormatLogLine(u"Емкость устройства: " + GroupDigits(drive.IdentifyData.LBA) + u" секторов");
  log.AddFormatLogLine(u"Блокировка устройства... ");
}

// The method's run and, when asked and the run completed, its verification, both under one Stop; a
// method the drive runs on its own gets no Stop.
void RunWithStop(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view, CommandControls& controls,
                 FormatCommandOutcome& outcome) {
  const EraseMethod& method = *job.request.method;
  if (method.Stoppable()) {
    controls.SetStopEnabled(true);
    controls.FocusStop();
  } else {
    controls.SetUninterruptible(true);
  }
  log.AddFormatLogLine(u"Форматирование... ");
  view.SetProgressState(ProgressState::Normal);
  view.SetAmountCaption({});
  outcome.run = method.Run(system, job, log, view);
  if (job.request.verify && outcome.run.ending == EraseRunOutcome::Ending::Completed)
    outcome.verification = method.Verify(system, job, log, view, outcome.run);
  view.SetProgressState(ProgressState::Paused);
  if (!method.Stoppable()) controls.SetUninterruptible(false);
  controls.SetStopEnabled(false);
}

// The disk refuses writes as a whole (a write-protect switch, a device the system made read-only): the
// run would only log one failed block after another. A drive that cannot answer counts as writable;
// its writes then tell.
bool WriteProtected(System& system, Handle drive) {
  const QueryStatus writable = system.BlockDeviceOf(drive)->Writable();
  return !writable.ok && writable.error == ErrorCode::WriteProtect;
}

// Names the programs that kept a refused run from claiming the disk, when the system saw any.
void LogOtherOpeners(System& system, DiagnosticLog& log, Handle drive) {
  const std::vector<DiskOpener> openers = system.OtherOpeners(drive);
  if (openers.empty()) return;
  std::u16string line = openers.size() == 1 ? u"Диск открыт другой программой: " : u"Диск открыт другими программами: ";
  for (std::size_t i = 0; i < openers.size(); ++i)
    line += (i == 0 ? u"" : u", ") + openers[i].program + u" (PID " + DecimalUnsigned(openers[i].pid) + u")";
  log.AddFormatLogLine(line);
}

// Asks the system to read the drive's layout again; what it answers does not matter.
void RefreshDriveLayout(System& system, Handle drive) {
  system.BlockDeviceOf(drive)->UpdateProperties();
}

// Locks the drive's volumes, runs the job and gives back, refreshes and releases what the run leaves.
// The job holds the drive's handle until it returns.
void RunLockedJob(System& system, ProgramState& state, DiagnosticLog& log, ProgressView& view,
                  CommandControls& controls, const EraseRequest& request, StopToken stop,
                  FormatCommandOutcome& outcome) {
  SelectedDriveJob selected(state, stop, request);
  EraseJob& job = selected.job;
  LockedVolumes locks(system, log, job);
  outcome.locked = locks.Lock();
  if (outcome.locked) {
    const bool timed = request.reportFolder.has_value();
    if (timed) outcome.started = system.GetLocalTime();
    RunWithStop(system, job, log, view, controls, outcome);
    if (timed) outcome.ended = system.GetLocalTime();
    if (outcome.run.ending == EraseRunOutcome::Ending::Refused) LogOtherOpeners(system, log, job.handle.Get());
  } else {
    log.AddFormatLogLine(
        u"Невозможно заблокировать устройство. Убедитесь, что у вас нет открытых файлов на этом "
        u"устройстве и повторите попытку. ");
  }
  RefreshDriveLayout(system, job.handle.Get());
  if (!outcome.locked || outcome.run.ending == EraseRunOutcome::Ending::Refused) locks.GiveBack();
  locks.Release();
}

}  // namespace

FormatCommandOutcome FormatCommand(System& system, ProgramState& state, DiagnosticLog& log,
                                   ProgressView& view, CommandControls& controls, TaskDialogPresenter& dialogs,
                                   const EraseRequest& request, StopToken stop, RunReporter* reporter) {
  FormatCommandOutcome outcome;
  outcome.method = request.method;
  if (!ConfirmDestruction(system, dialogs, state, request)) return outcome;
  outcome.confirmed = true;
  SetCommandsEnabled(controls, false);
  LogHeader(log, state, state.SelectedEntry());
  if (WriteProtected(system, state.DriveHandle.Get())) {
    log.AddFormatLogLine(WriteProtectedLine);
    outcome.writeProtected = true;
    SetCommandsEnabled(controls, true);
    return outcome;
  }
  RunLockedJob(system, state, log, view, controls, request, stop, outcome);
  if (request.reportFolder && outcome.TouchedDrive()) {
    if (reporter != nullptr) reporter->SaveReport(outcome, *request.reportFolder);
  }
  // New partitions are worth a thought only on a disk that was written to or erased by the drive.
  const bool erasedByDrive =
      request.method->Firmware() != nullptr && outcome.run.ending == EraseRunOutcome::Ending::Completed;
  if (outcome.TouchedDrive() && (outcome.run.bytesWritten > 0 || erasedByDrive)) {
    log.AddFormatLogLine(u"");
    log.AddFormatLogLine(u"Не забудьте создать новые разделы.");
  }
  SetCommandsEnabled(controls, true);
  return outcome;
}

}  // namespace trelvane
