#pragma once

#include "cli/session.h"

namespace trelvane::cli {

// One line per drive-table entry: N and the chooser's six column texts, separated by tabs.
int ListCommand(Session& session);

}  // namespace trelvane::cli
