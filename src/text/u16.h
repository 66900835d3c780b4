#pragma once
// Small helpers for the core's UTF-16 texts.

#include <cstdint>
#include <string>
#include <string_view>

namespace trelvane {

// UTF-16 to UTF-8 and back (for the command line, files and tests). Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);
// Plain ASCII text as UTF-16 (request names, file names).
std::u16string FromAscii(std::string_view text);

// Removes characters of code 32 and below (blanks, control characters, zeros) at both ends / one end.
std::u16string Trim(std::u16string_view text);
std::u16string TrimLeft(std::u16string_view text);
std::u16string TrimRight(std::u16string_view text);

// Upper / lower case of the ASCII letters only; every other character stays as it is.
std::u16string AsciiUpper(std::u16string_view text);
std::u16string AsciiLower(std::u16string_view text);

std::u16string Decimal(std::int64_t value);
std::u16string DecimalUnsigned(std::uint64_t value);
// Two upper-case hexadecimal digits.
std::u16string HexByte(std::uint8_t value);

}  // namespace trelvane
