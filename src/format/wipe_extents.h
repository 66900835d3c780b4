#pragma once
// Which byte ranges of a drive a format run zero-fills.

#include <cstdint>
#include <vector>

namespace trelvane {

// The quick wipe's first extent: 10,240,000 bytes (not 10 MiB), which holds the partition table and
// the boot record.
inline constexpr std::int64_t QuickWipeLimit = 10'240'000;
// The quick wipe's second extent, at the very end of the drive: the backup partition table lives in
// the last sectors, and some volume managers and software RAID keep their metadata there too. A wipe
// that left it would let the system restore the "erased" partitions from the backup.
inline constexpr std::int64_t QuickWipeTailBytes = 1'048'576;

// One range [from, to) of byte offsets.
struct WipeExtent {
  std::int64_t from = 0;
  std::int64_t to = 0;
  friend bool operator==(const WipeExtent&, const WipeExtent&) = default;
};

// The extents of a run over a drive of `deviceBytes`, in increasing order, none empty and none
// touching another: the whole drive; or, for a quick wipe, the first QuickWipeLimit bytes and the
// last QuickWipeTailBytes. A drive smaller than both together is one extent over the whole drive.
std::vector<WipeExtent> PlanWipeExtents(std::int64_t deviceBytes, bool quick);

}  // namespace trelvane
