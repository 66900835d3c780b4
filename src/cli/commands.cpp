#include "cli/commands.h"

#include "cli/format_cli.h"
#include "cli/json_reports.h"
#include "cli/list_command.h"
#include "cli/report_commands.h"

namespace trelvane::cli {

namespace {

int RunList(Session& session, const Arguments&) { return ListCommand(session); }
int RunDetails(Session& session, const Arguments& arguments) { return DetailsCommand(session, *arguments.drive); }
int RunSmart(Session& session, const Arguments& arguments) { return SmartCommand(session, *arguments.drive); }

int ListInJson(Session& session, const Arguments&, JsonValue& document) { return ListJson(session, document); }
int DetailsInJson(Session& session, const Arguments& arguments, JsonValue& document) {
  return DetailsJson(session, *arguments.drive, document);
}
int SmartInJson(Session& session, const Arguments& arguments, JsonValue& document) {
  return SmartJson(session, *arguments.drive, document);
}

constexpr CommandEntry Commands[] = {
    {"list", true, RunList, ListInJson},
    {"details", false, RunDetails, DetailsInJson},
    {"smart", false, RunSmart, SmartInJson},
    {"format", true, FormatDriveCommand, nullptr},
};

}  // namespace

std::span<const CommandEntry> CommandTable() { return Commands; }

}  // namespace trelvane::cli
