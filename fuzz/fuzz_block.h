#pragma once
// A fuzz input read as a drive's 512-byte answer: missing bytes are zero, further bytes are left to
// the harness.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace trelvane::fuzz {

using Block = std::array<std::uint8_t, 512>;

inline Block BlockAt(std::span<const std::uint8_t> input, std::size_t offset) {
  Block block{};
  if (offset < input.size()) {
    const auto rest = input.subspan(offset, std::min(block.size(), input.size() - offset));
    std::copy(rest.begin(), rest.end(), block.begin());
  }
  return block;
}

}  // namespace trelvane::fuzz
