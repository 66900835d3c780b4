#include "format/zero_check.h"

#include <algorithm>
#include <cstring>

namespace trelvane {

namespace {

// Small enough to stay in the first-level cache next to the block being checked.
constexpr std::size_t ZeroChunk = 16'384;
alignas(64) constexpr std::uint8_t Zeros[ZeroChunk] = {};

}  // namespace

// From the end backwards: a block just read is written front to back, so its end is the part most
// likely still in the processor's caches.
bool IsAllZero(std::span<const std::uint8_t> bytes) {
  for (std::size_t end = bytes.size(); end > 0;) {
    const std::size_t length = std::min(ZeroChunk, end);
    end -= length;
    if (std::memcmp(bytes.data() + end, Zeros, length) != 0) return false;
  }
  return true;
}

}  // namespace trelvane
