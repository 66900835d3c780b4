#pragma once
// The byte ranges of a drive that an erase method covers, and those of the quick wipe.

#include <cstdint>

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

}  // namespace trelvane
