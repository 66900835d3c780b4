#include "cli/report_commands.h"

#include "ata/device_details.h"
#include "ata/smart_report.h"

namespace trelvane::cli {

int DetailsCommand(Session& session, std::int64_t driveNumber) {
  const int opened = OpenDriveForCommand(session, driveNumber);
  if (opened != ExitSuccess) return opened;
  StreamLineSink details(stdout);
  ShowDeviceDetails(*session.system, session.state, session.log, details);
  return ExitSuccess;
}

int SmartCommand(Session& session, std::int64_t driveNumber) {
  const int opened = OpenDriveForCommand(session, driveNumber);
  if (opened != ExitSuccess) return opened;
  StreamLineSink smart(stdout);
  ShowSmartData(*session.system, session.state, session.log, smart);
  return ExitSuccess;
}

}  // namespace trelvane::cli
