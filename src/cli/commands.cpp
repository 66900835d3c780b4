#include "cli/commands.h"

#include "cli/list_command.h"

namespace trelvane::cli {

namespace {

int RunList(Session& session, const Arguments&) { return ListCommand(session); }

constexpr CommandEntry Commands[] = {
    {"list", RunList},
};

}  // namespace

std::span<const CommandEntry> CommandTable() { return Commands; }

}  // namespace trelvane::cli
