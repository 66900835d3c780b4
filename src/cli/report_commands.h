#pragma once

#include "cli/session.h"

namespace trelvane::cli {

// The device details report of drive N, as the details page shows it.
int DetailsCommand(Session& session, std::int64_t driveNumber);
// The SMART report of drive N, as the SMART page shows it.
int SmartCommand(Session& session, std::int64_t driveNumber);

}  // namespace trelvane::cli
