#include "cli/session.h"

#include <filesystem>

#include "app/chooser_model.h"
#include "app/main_window_flow.h"
#include "app/startup.h"
#include "format/write_errors.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::cli {

void RunCliStartup(Session& session, bool debug, bool printFormatLog) {
  session.log.SetFormatSink(printFormatLog ? &session.formatLog : nullptr);
  session.log.SetDebugSink(&session.debugLog);
  RunStartup(*session.system, session.state, session.log, session.boxes, session.windows,
             debug ? u"--debug" : u"");
}

namespace {

constexpr const char16_t* DriveBusyLine =
    u"Устройство занято другой программой или другим запуском этой программы. Ничего не записано.";

// The table index of drive N, or 0 when the enumeration did not keep it.
std::int64_t TableIndexOf(const ProgramState& state, std::int64_t driveNumber) {
  for (std::int64_t index = 1; index <= state.DriveCount; ++index)
    if (static_cast<std::int64_t>(state.DriveTable[index].DeviceNumber) == driveNumber) return index;
  return 0;
}

}  // namespace

std::optional<std::int64_t> DriveNumberOfPath(Session& session, const std::string& path) {
  const std::u16string wanted = FromUtf8(path);
  // A link to the node (/dev/disk/by-id/…) names the same drive.
  std::error_code ignored;
  const std::u16string resolved =
      std::filesystem::weakly_canonical(std::filesystem::path(path), ignored).u16string();
  const ProgramState& state = session.state;
  for (std::int64_t index = 1; index <= state.DriveCount; ++index) {
    const TDeviceTable& entry = state.DriveTable[index];
    const std::u16string node = session.system->DriveNodeName(entry.DeviceNumber);
    if (wanted == entry.DevicePath || (!node.empty() && (wanted == node || resolved == node))) return entry.DeviceNumber;
  }
  PrintMessage(session.messages, u"Устройство " + wanted + u" не найдено среди дисков.");
  return std::nullopt;
}

int OpenDriveForCommand(Session& session, std::int64_t driveNumber) {
  ProgramState& state = session.state;
  const std::int64_t index = TableIndexOf(state, driveNumber);
  if (index == 0) {
    PrintMessage(session.messages,
                 u"Устройство \\\\.\\PhysicalDrive" + Decimal(driveNumber) + u" не найдено среди дисков.");
    return ExitRefused;
  }
  // The refusal box of a drive too small prints its text on standard error.
  if (!ChooseDrive(state, index, session.boxes)) return ExitRefused;
  TitleSelectedDrive(*session.system, state);
  if (const auto refusal = OpenSelectedDrive(*session.system, state)) {
    // Held by another run of this program (or another program that locks the disk the same way), or
    // write-protected: the drive is refused with nothing written, like a failed lock.
    if (refusal->code == ErrorCode::SharingViolation) {
      PrintMessage(session.messages, DriveBusyLine);
      return ExitRefused;
    }
    if (refusal->code == ErrorCode::WriteProtect) {
      PrintMessage(session.messages, WriteProtectedLine);
      return ExitRefused;
    }
    PrintMessage(session.messages, refusal->text);
    return ExitFatal;
  }
  return ExitSuccess;
}

}  // namespace trelvane::cli
