#pragma once
// Counts and byte sizes, as every report and window shows them.

#include <cstdint>
#include <string>

namespace trelvane {

// Decimal with "," between groups of three digits when longer than four digits.
std::u16string GroupDigits(std::int64_t value);
// The same with another separator; the erasure report's text uses the thin space U+2009.
std::u16string GroupDigits(std::int64_t value, char16_t separator);

// A byte count in байт, КБ, МБ or ГБ (decimal units), with the user's decimal separator.
std::u16string SizeText(std::int64_t bytes, char16_t decimalSeparator);

// A number in general format with at most 15 significant digits: no exponent, no grouping, trailing
// zeros dropped, no separator when whole.
std::u16string GeneralNumberText(double value, char16_t decimalSeparator);


}  // namespace trelvane
