#include "text/number_text.h"

#include <array>
#include <cstdio>

#include "text/u16.h"

namespace trelvane {

std::u16string GroupDigits(std::int64_t value) {
  const std::u16string digits = Decimal(value);
  const bool grouped = digits.size() > 4;
  std::u16string result;
  std::size_t taken = 0;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    result.insert(result.begin(), *it);
    ++taken;
    if (grouped && taken % 3 == 0) result.insert(result.begin(), u',');
  }
  if (!result.empty() && result.front() == u',') result.erase(result.begin());
  return result;
}

std::u16string GeneralNumberText(double value, char16_t decimalSeparator) {
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%.15g", value);
  std::u16string text = FromAscii(buffer.data());
  for (auto& c : text)
    if (c == u'.') c = decimalSeparator;
  return text;
}

namespace {

// One row of the size table: from `lowerBound` bytes on, the count is truncated to a multiple of
// `truncation` and divided by `divisor`. The bounds are runs of nines, not powers of ten.
struct SizeUnit {
  std::int64_t lowerBound;
  std::int64_t truncation;
  double divisor;
  const char16_t* unit;
};

constexpr std::array<SizeUnit, 3> SizeUnits{{
    {9999999999, 10000000, 1e9, u" ГБ"},
    {9999999, 10000, 1e6, u" МБ"},
    {99999, 10, 1e3, u" КБ"},
}};

}  // namespace

std::u16string SizeText(std::int64_t bytes, char16_t decimalSeparator) {
  for (const SizeUnit& row : SizeUnits) {
    if (bytes >= row.lowerBound) {
      const std::int64_t kept = bytes - bytes % row.truncation;
      return GeneralNumberText(static_cast<double>(kept) / row.divisor, decimalSeparator) + row.unit;
    }
  }
  return Decimal(bytes) + u" байт";
}

}  // namespace trelvane
