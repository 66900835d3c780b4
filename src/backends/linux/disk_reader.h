#pragma once
// Reads from a disk opened with O_DIRECT, the read-back of a wipe: no page cache, so what comes back
// is what the device holds, not what the program just handed it.

#include <cstdint>
#include <span>

#include "backends/linux/disk_writer.h"

namespace trelvane::linux_platform {

struct ReadOutcome {
  std::uint64_t read = 0;
  int error = 0;  // errno of the read that failed, 0 when everything was read
};

// Fills all of `buffer` from `offset`, continuing after short reads; a read that makes no progress
// counts as ENOSPC (the end of the device). A buffer that is not 4096-aligned is read through `bounce`.
ReadOutcome ReadAllAt(int fd, std::span<std::uint8_t> buffer, std::int64_t offset, AlignedBuffer& bounce);

}  // namespace trelvane::linux_platform
