#pragma once
// Single-byte texts that devices report, read in the system's ANSI code page.

#include <cstdint>
#include <span>
#include <string>

namespace trelvane {

inline constexpr std::uint32_t CodePageCyrillic = 1251;
inline constexpr std::uint32_t CodePageWestern = 1252;

// The character that byte `value` stands for in `codePage`. Bytes below 0x80 are ASCII in every code
// page; the upper half goes through the code page's table. Only the Cyrillic (1251) and Western (1252)
// tables are built in; any other code page is read as Western, which keeps ASCII texts exact and
// gives Latin letters for the rest. Bytes a code page leaves undefined map to the control character
// of the same value, as the platform's own conversion does.
char16_t AnsiCharacter(std::uint8_t value, std::uint32_t codePage);

// Every byte converted, zero bytes included (they become U+0000); no trimming.
std::u16string AnsiToText(std::span<const std::uint8_t> bytes, std::uint32_t codePage);

}  // namespace trelvane
