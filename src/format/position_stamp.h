#pragma once
// Position stamps: sectors the verification writes at chosen offsets of the wiped extents before it
// reads them back, each naming its own offset. A counterfeit drive, smaller than it reports, stores
// writes past its real size at its start and reads them back from there: zeros read back as zeros
// anywhere, but a stamp found at an offset that is not its own shows the drive's addresses wrap.
// The stamps are zeroed again before the verification ends.
//
// Layout of a stamp sector (the rest of the sector is zero):
//   0..15   "TRELVANE-STAMP\0\0"
//   16..23  the offset the stamp was written at, little-endian
//   24..31  the run's nonce, little-endian, so stamps of an earlier run are not taken for this one's

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "format/wipe_extents.h"

namespace trelvane {

void WriteStamp(std::span<std::uint8_t> sector, std::int64_t offset, std::uint64_t nonce);

// The offset a sector's stamp of run `nonce` names, or nothing when the sector is not such a stamp.
std::optional<std::int64_t> StampedOffset(std::span<const std::uint8_t> sector, std::uint64_t nonce);

// Sector-aligned offsets to stamp inside `extents`: the first sector of each extent, then one every
// so many bytes (at most about 64 over all the extents, at least 1 MiB apart), and the last sector of
// each extent; in increasing order. A stamp in every stretch as long as the drive's real size is what
// lets the shortest wrap distance equal that size.
std::vector<std::int64_t> PlanStamps(const std::vector<WipeExtent>& extents, std::int64_t sectorSize);

}  // namespace trelvane
