#include "format/position_stamp.h"

#include <algorithm>
#include <cstring>

#include "os/bytes.h"

namespace trelvane {

namespace {

constexpr char Magic[16] = "TRELVANE-STAMP";
constexpr std::int64_t MaxStamps = 64;
constexpr std::int64_t MinSpacing = 1'048'576;

void PutU64(std::span<std::uint8_t> bytes, std::size_t at, std::uint64_t value) {
  for (std::size_t i = 0; i < 8; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void WriteStamp(std::span<std::uint8_t> sector, std::int64_t offset, std::uint64_t nonce) {
  std::fill(sector.begin(), sector.end(), std::uint8_t{0});
  std::memcpy(sector.data(), Magic, sizeof Magic);
  PutU64(sector, 16, static_cast<std::uint64_t>(offset));
  PutU64(sector, 24, nonce);
}

std::optional<std::int64_t> StampedOffset(std::span<const std::uint8_t> sector, std::uint64_t nonce) {
  if (sector.size() < 32 || std::memcmp(sector.data(), Magic, sizeof Magic) != 0) return std::nullopt;
  if (ReadU64LE(sector, 24) != nonce) return std::nullopt;
  return static_cast<std::int64_t>(ReadU64LE(sector, 16));
}

std::vector<std::int64_t> PlanStamps(const std::vector<WipeExtent>& extents, std::int64_t sectorSize) {
  std::vector<std::int64_t> stamps;
  if (sectorSize <= 0) return stamps;
  std::int64_t total = 0;
  for (const WipeExtent& extent : extents) total += extent.to - extent.from;
  std::int64_t spacing = std::max(MinSpacing, (total + MaxStamps - 1) / MaxStamps);
  spacing = (spacing + sectorSize - 1) / sectorSize * sectorSize;
  for (const WipeExtent& extent : extents) {
    const std::int64_t last = (extent.to - sectorSize) / sectorSize * sectorSize;
    if (last < extent.from) continue;
    for (std::int64_t at = extent.from; at < last; at += spacing) stamps.push_back(at);
    stamps.push_back(last);
  }
  return stamps;
}

}  // namespace trelvane
