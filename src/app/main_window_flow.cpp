#include "app/main_window_flow.h"

#include "app/startup.h"
#include "ata/device_details.h"
#include "ata/drive_health.h"
#include "common/drive_title.h"
#include "common/system_error_text.h"
#include "os/win_constants.h"

namespace trelvane {

std::u16string DriveOpenErrorText(System& system, std::uint32_t code) {
  return u"Ошибка открытия устройства: " + SystemErrorText(system, code);
}

void TitleSelectedDrive(System& system, ProgramState& state) {
  state.DriveTitle = ComposeDriveTitle(state.DriveTable, state.SelectedDrive,
                                       system.GetRegionalSettings().decimalSeparator);
}

std::optional<DriveOpenRefusal> OpenSelectedDrive(System& system, ProgramState& state) {
  state.DriveHandle = OpenOwned(system, state.SelectedEntry().DevicePath,
                                Access::GenericRead | Access::GenericWrite, Share::None);
  const std::uint32_t code = system.GetLastError();
  if (state.DriveHandle.IsOpen() && code == ErrorCode::Success) return std::nullopt;
  return DriveOpenRefusal{code, DriveOpenErrorText(system, code)};
}

void ShowDriveHealth(System& system, const ProgramState& state, DiagnosticLog& log, MainWindowShow& window) {
  const DriveHealth health = ReadDriveHealth(system, state);
  window.SetHealthSummary(HealthLines(health));
  if (!health.securityWarning.empty()) log.AddFormatLogLine(health.securityWarning);
}

bool MainWindowFirstShow(System& system, ProgramState& state, DiagnosticLog& log, MessageBoxes& boxes,
                         StartupWindows& windows, MainWindowShow& window, LineSink& details,
                         const std::u16string& firstArgument) {
  RunStartup(system, state, log, boxes, windows, firstArgument);
  if (state.DebugMode) window.ShowDebugWindowModal();
  if (!window.RunDriveChooser()) return false;
  TitleSelectedDrive(system, state);
  window.SetDiskName(state.DriveTitle);
  if (const auto refusal = OpenSelectedDrive(system, state)) {
    boxes.ShowMessageBox(refusal->text, u"Ошибка", MessageIcon::Error);
    throw ProgramTermination{3};
  }
  windows.SetMainStatusPanel(1, state.DriveTitle);
  ShowDeviceDetails(system, state, log, details);
  ShowDriveHealth(system, state, log, window);
  window.ScrollDetailsToTop();
  return true;
}

}  // namespace trelvane
