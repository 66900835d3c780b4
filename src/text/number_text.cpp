#include "text/number_text.h"

#include <array>
#include <charconv>

#include "text/u16.h"

namespace trelvane {

std::u16string GroupDigits(std::int64_t value) { return GroupDigits(value, u','); }

std::u16string GroupDigits(std::int64_t value, char16_t separator) {
  const std::u16string digits = Decimal(value);
  const bool grouped = digits.size() > 4;
  std::u16string result;
  std::size_t taken = 0;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    result.insert(result.begin(), *it);
    ++taken;
    if (grouped && taken % 3 == 0) result.insert(result.begin(), separator);
  }
  if (!result.empty() && result.front() == separator) result.erase(result.begin());
  return result;
}

std::u16string GeneralNumberText(double value, char16_t decimalSeparator) {
  // "%.15g" of the C locale; printf itself would follow the process locale, which the Qt program sets.
  std::array<char, 64> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size() - 1, value,
                                          std::chars_format::general, 15);
  if (error == std::errc{}) *end = '\0';
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
