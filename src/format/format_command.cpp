#include "format/format_command.h"

#include <cstdint>
#include <vector>

#include "common/product.h"
#include "format/volume_lock.h"
#include "format/write_errors.h"
#include "os/win_constants.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr const char16_t* ConfirmationQuestion =
    u"Вы абсолютно уверены, что хотите безвозвратно уничтожить все данные на этом устройстве?\r\n\r\n";

bool ConfirmDestruction(System& system, TaskDialogPresenter& dialogs, const std::u16string& driveTitle) {
  const int answer = ShowTaskDialog(system, dialogs, u"Предупреждение",
                                    u"Все данные на выбранном устройстве будут потеряны",
                                    ConfirmationQuestion + driveTitle, TaskDialogIcon::Warning,
                                    TaskDialogButton::Yes | TaskDialogButton::Cancel);
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

// The zero fill and, when asked and the fill completed, its verification, both under one Stop.
void RunWithStop(System& system, ProgramState& state, DiagnosticLog& log, ProgressView& view,
                 CommandControls& controls, bool quick, bool verify, FormatCommandOutcome& outcome) {
  controls.SetStopEnabled(true);
  controls.FocusStop();
  log.AddFormatLogLine(u"Форматирование... ");
  view.SetProgressState(ProgressState::Normal);
  outcome.run = RunZeroFill(system, state, log, view, quick, verify);
  if (verify && outcome.run.ending == ZeroFillOutcome::Ending::Completed)
    outcome.verification = RunVerification(system, state, log, view, quick, outcome.run.failedWrites);
  view.SetProgressState(ProgressState::Paused);
  controls.SetStopEnabled(false);
}

// The disk refuses writes as a whole (a write-protect switch, a device the system made read-only): the
// run would only log one failed block after another. A drive that cannot answer counts as writable;
// its writes then tell.
bool WriteProtected(System& system, Handle drive) {
  std::uint32_t returned = 0;
  if (system.DeviceIoControl(drive, Ioctl::DiskIsWritable, {}, {}, returned)) return false;
  return system.GetLastError() == ErrorCode::WriteProtect;
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
  std::uint32_t returned = 0;
  system.DeviceIoControl(drive, Ioctl::DiskUpdateProperties, {}, {}, returned);
}

}  // namespace

FormatCommandOutcome FormatCommand(System& system, ProgramState& state, DiagnosticLog& log,
                                   ProgressView& view, CommandControls& controls,
                                   TaskDialogPresenter& dialogs, RunReporter* reporter) {
  FormatCommandOutcome outcome;
  const bool quick = controls.QuickWipeChecked();
  outcome.quick = quick;
  const bool verify = controls.VerifyChecked();
  if (!ConfirmDestruction(system, dialogs, state.DriveTitle)) return outcome;
  outcome.confirmed = true;
  SetCommandsEnabled(controls, false);
  const TDeviceTable& drive = state.SelectedEntry();
  LogHeader(log, state, drive);
  if (WriteProtected(system, state.DriveHandle.Get())) {
    log.AddFormatLogLine(WriteProtectedLine);
    outcome.writeProtected = true;
    SetCommandsEnabled(controls, true);
    return outcome;
  }
  LockedVolumes locks(system, log, state);
  outcome.locked = locks.Lock(static_cast<std::int64_t>(drive.DeviceNumber));
  if (outcome.locked) {
    if (reporter != nullptr) outcome.started = system.GetLocalTime();
    RunWithStop(system, state, log, view, controls, quick, verify, outcome);
    if (reporter != nullptr) outcome.ended = system.GetLocalTime();
    if (outcome.run.ending == ZeroFillOutcome::Ending::Refused)
      LogOtherOpeners(system, log, state.DriveHandle.Get());
  } else {
    log.AddFormatLogLine(
        u"Невозможно заблокировать устройство. Убедитесь, что у вас нет открытых файлов на этом "
        u"устройстве и повторите попытку. ");
  }
  RefreshDriveLayout(system, state.DriveHandle.Get());
  if (!outcome.locked || outcome.run.ending == ZeroFillOutcome::Ending::Refused) locks.GiveBack();
  locks.Release();
  if (reporter != nullptr && outcome.TouchedDrive()) reporter->RunEnded(outcome);
  // New partitions are worth a thought only on a disk that was written to.
  if (outcome.TouchedDrive() && outcome.run.bytesWritten > 0) {
    log.AddFormatLogLine(u"");
    log.AddFormatLogLine(u"Не забудьте создать новые разделы.");
  }
  SetCommandsEnabled(controls, true);
  return outcome;
}

}  // namespace trelvane
