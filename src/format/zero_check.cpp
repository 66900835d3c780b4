#include "format/zero_check.h"

#include <algorithm>
#include <cstring>

namespace trelvane {

namespace {

// Small enough to stay in the first-level cache next to the block being checked.
constexpr std::size_t ZeroChunk = 16'384;
alignas(64) constexpr std::uint8_t Zeros[ZeroChunk] = {};

}  // namespace

bool IsAllZero(std::span<const std::uint8_t> bytes) {
  for (std::size_t at = 0; at < bytes.size(); at += ZeroChunk) {
    const std::size_t length = std::min(ZeroChunk, bytes.size() - at);
    if (std::memcmp(bytes.data() + at, Zeros, length) != 0) return false;
  }
  return true;
}

}  // namespace trelvane
