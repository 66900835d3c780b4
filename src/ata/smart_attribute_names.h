#pragma once
// The Russian names of SMART attributes, and the paddings of the SMART table's columns.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace trelvane {

// Every defined name is exactly this long, padded with trailing blanks, so the columns after it line up.
inline constexpr std::size_t SmartNameWidth = 26;

// One entry for each attribute id 1 to 255 (entry id-1); an empty entry means the id has no name.
extern const std::array<std::u16string_view, 255> SmartAttributeNames;

// The name shown for an attribute id: its table entry, or for an id without one (or outside 1-255)
// "Неизвестный" padded to 30 characters, four wider than a table name.
std::u16string SmartAttributeName(int id);

// Appends (PadRight) or prepends (PadLeft) blanks until the text is at least `width` characters long;
// a longer text is returned unchanged.
std::u16string PadRight(std::u16string text, std::size_t width);
std::u16string PadLeft(std::u16string text, std::size_t width);

}  // namespace trelvane
