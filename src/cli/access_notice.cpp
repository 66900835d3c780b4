#include "cli/access_notice.h"

#include "cli/console_output.h"
#include "cli/session.h"
#include "text/u16.h"

namespace trelvane::cli {

std::optional<int> ReportDrivesDeniedAccess(Session& session) {
  const ProgramState& state = session.state;
  if (state.DrivesDeniedAccess == 0) return std::nullopt;
  PrintMessage(session.messages, u"Нет доступа к дискам (пропущено: " + Decimal(state.DrivesDeniedAccess) +
                        u"): нужны права администратора, запустите через sudo, например: sudo trelvane-cli list");
  return state.DriveCount == 0 ? std::optional<int>(ExitFatal) : std::nullopt;
}

}  // namespace trelvane::cli
