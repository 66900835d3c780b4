#pragma once
// Decimal text of unsigned integers wider than 64 bits, such as the 128-bit counters of an NVMe
// health log, exactly: no floating point, no rounding.

#include <cstdint>
#include <span>
#include <string>

namespace trelvane {

// The decimal digits of the little-endian unsigned integer `bytes` multiplied by `factor`, with no
// grouping ("0" for zero). Any width of `bytes` is taken; the product never overflows.
std::u16string WideDecimal(std::span<const std::uint8_t> bytes, std::uint32_t factor = 1);

}  // namespace trelvane
