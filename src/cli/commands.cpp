#include "cli/commands.h"

#include "cli/format_cli.h"
#include "cli/list_command.h"
#include "cli/report_commands.h"

namespace trelvane::cli {

namespace {

int RunList(Session& session, const Arguments&) { return ListCommand(session); }
int RunDetails(Session& session, const Arguments& arguments) { return DetailsCommand(session, *arguments.drive); }
int RunSmart(Session& session, const Arguments& arguments) { return SmartCommand(session, *arguments.drive); }

constexpr CommandEntry Commands[] = {
    {"list", true, RunList},
    {"details", false, RunDetails},
    {"smart", false, RunSmart},
    {"format", true, FormatDriveCommand},
};

}  // namespace

std::span<const CommandEntry> CommandTable() { return Commands; }

}  // namespace trelvane::cli
