#pragma once

#include "cli/arguments.h"
#include "cli/session.h"

namespace trelvane::cli {

// Runs the format command on drive N exactly as the format button does. Exit codes: 0 the whole
// extent written and flushed, 1 a block failed or the run was stopped or aborted, 2 nothing written:
// declined, the lock failed, the disk was in use elsewhere or is write-protected, or the report folder
// cannot take the report, 4 erased as for 0 but the report asked for could not be saved.
int FormatDriveCommand(Session& session, const Arguments& arguments);

}  // namespace trelvane::cli
