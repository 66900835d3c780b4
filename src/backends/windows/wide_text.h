#pragma once
// The core's UTF-16 texts and the platform's wide strings are the same code units on Windows, so the
// conversion is a straight copy. Only the Windows backend includes this.

#include <cstddef>
#include <string>
#include <string_view>

namespace trelvane {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
  if (text == nullptr) return {};
  return std::u16string(text, text + length);
}

inline std::u16string FromWide(std::wstring_view text) { return FromWide(text.data(), text.size()); }

}  // namespace trelvane
