#pragma once
// The table of the command line's commands.

#include <span>

#include "cli/arguments.h"
#include "cli/session.h"
#include "text/json_writer.h"

namespace trelvane::cli {

struct CommandEntry {
  const char* name;
  bool printsFormatLog;  // list and format print the format log; the reports print only themselves
  int (*run)(Session& session, const Arguments& arguments);
  // The command's JSON document instead of its text (--json); nothing where there is none.
  int (*runJson)(Session& session, const Arguments& arguments, JsonValue& document);
};

std::span<const CommandEntry> CommandTable();

}  // namespace trelvane::cli
