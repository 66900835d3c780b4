#pragma once
// The NVMe parts of the details and SMART reports, read from the drive: the lines below the reports'
// common header, or nothing when the drive does not answer the NVMe queries.

#include <optional>
#include <string>
#include <vector>

#include "os/system.h"

namespace trelvane {

// Identify Controller, the active namespace list, then Identify Namespace; both Identify Controller and
// Identify Namespace must answer.
std::optional<std::vector<std::u16string>> ReadNvmeDetails(System& system, Handle handle);
std::optional<std::vector<std::u16string>> ReadNvmeHealth(System& system, Handle handle);

}  // namespace trelvane
