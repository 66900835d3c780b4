#pragma once
// What the command line says when an ordinary user runs it on real disks.

#include <optional>

#include "cli/session.h"

namespace trelvane::cli {

// After the start-up: one line on standard error when drives were skipped because opening them was
// refused. Returns ExitFatal when that left no drive at all, nothing when the command can go on.
std::optional<int> ReportDrivesDeniedAccess(Session& session);

}  // namespace trelvane::cli
