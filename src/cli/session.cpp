#include "cli/session.h"

#include "app/startup.h"
#include "common/system_error_text.h"
#include "os/win_constants.h"
#include "common/drive_title.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane::cli {

void RunCliStartup(Session& session, bool debug, bool printFormatLog) {
  session.log.SetFormatSink(printFormatLog ? &session.formatLog : nullptr);
  session.log.SetDebugSink(&session.debugLog);
  RunStartup(*session.system, session.state, session.log, session.boxes, session.windows,
             debug ? u"--debug" : u"");
}

namespace {

// The table index of drive N, or 0 when the enumeration did not keep it.
std::int64_t TableIndexOf(const ProgramState& state, std::int64_t driveNumber) {
  for (std::int64_t index = 1; index <= state.DriveCount; ++index)
    if (static_cast<std::int64_t>(state.DriveTable[index].DeviceNumber) == driveNumber) return index;
  return 0;
}

}  // namespace

int OpenDriveForCommand(Session& session, std::int64_t driveNumber) {
  ProgramState& state = session.state;
  const std::int64_t index = TableIndexOf(state, driveNumber);
  if (index == 0) {
    PrintLine(stderr, u"Устройство \\\\.\\PhysicalDrive" + Decimal(driveNumber) + u" не найдено среди дисков.");
    return ExitRefused;
  }
  if (state.DriveTable[index].IdentifyData.LBA < 65535) {
    PrintLine(stderr, u"К этому устройству нет доступа, потому что в нем меньше 65535 секторов.  ");
    return ExitRefused;
  }
  state.DriveChosen = true;
  state.SelectedDrive = index;
  System& system = *session.system;
  state.DriveTitle = ComposeDriveTitle(state.DriveTable, index, system.GetRegionalSettings().decimalSeparator);
  state.DriveHandle = OpenOwned(system, state.DriveTable[index].DevicePath,
                                Access::GenericRead | Access::GenericWrite, Share::None);
  const std::uint32_t error = system.GetLastError();
  if (!state.DriveHandle.IsOpen() || error != 0) {
    PrintLine(stderr, u"Ошибка открытия устройства: " + SystemErrorText(system, error));
    return ExitFatal;
  }
  return ExitSuccess;
}

}  // namespace trelvane::cli
