#include "text/wide_decimal.h"

#include <algorithm>
#include <vector>

namespace trelvane {

namespace {

// 32-bit limbs, least significant first: wide enough for any product of the input and a 32-bit factor.
std::vector<std::uint32_t> Limbs(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint32_t> limbs(bytes.size() / 4 + 2, 0);
  for (std::size_t i = 0; i < bytes.size(); ++i) limbs[i / 4] |= std::uint32_t{bytes[i]} << (8 * (i % 4));
  return limbs;
}

void Multiply(std::vector<std::uint32_t>& limbs, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : limbs) {
    const std::uint64_t product = std::uint64_t{limb} * factor + carry;
    limb = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
}

// Divides in place and returns the remainder.
std::uint32_t DivideBy(std::vector<std::uint32_t>& limbs, std::uint32_t divisor) {
  std::uint64_t remainder = 0;
  for (std::size_t i = limbs.size(); i-- > 0;) {
    const std::uint64_t current = (remainder << 32) | limbs[i];
    limbs[i] = static_cast<std::uint32_t>(current / divisor);
    remainder = current % divisor;
  }
  return static_cast<std::uint32_t>(remainder);
}

bool IsZero(const std::vector<std::uint32_t>& limbs) {
  return std::all_of(limbs.begin(), limbs.end(), [](std::uint32_t limb) { return limb == 0; });
}

}  // namespace

std::u16string WideDecimal(std::span<const std::uint8_t> bytes, std::uint32_t factor) {
  std::vector<std::uint32_t> limbs = Limbs(bytes);
  Multiply(limbs, factor);
  std::u16string digits;
  do {
    digits.push_back(static_cast<char16_t>(u'0' + DivideBy(limbs, 10)));
  } while (!IsZero(limbs));
  std::reverse(digits.begin(), digits.end());
  return digits;
}

}  // namespace trelvane
