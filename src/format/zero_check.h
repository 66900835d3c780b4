#pragma once
// Whether a block read back from a wiped drive holds only zeros. Runs at memory speed: the block is
// compared with a static zero block by memcmp, which the C library does many bytes at a time; no
// byte-by-byte loop.

#include <cstdint>
#include <span>

namespace trelvane {

bool IsAllZero(std::span<const std::uint8_t> bytes);

}  // namespace trelvane
