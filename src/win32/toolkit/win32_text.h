#pragma once
// The core's UTF-16 texts at the edge of the Win32 API, whose wide characters are UTF-16 as well.

#include <string>

#include <windows.h>

namespace trelvane {

inline std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

inline std::u16string FromWide(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// The text of a window or control.
inline std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return FromWide(text);
}

inline void SetWindowText(HWND window, const std::u16string& text) { SetWindowTextW(window, Wide(text).c_str()); }

}  // namespace trelvane
