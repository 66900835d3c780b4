#include "win32/toolkit/win32_message_boxes.h"

#include <array>

#include <windows.h>

#include "win32/toolkit/win32_text.h"

namespace trelvane {

namespace {

struct IconStyle {
  MessageIcon icon;
  UINT style;
};
constexpr std::array<IconStyle, 3> IconStyles{{
    {MessageIcon::Error, MB_ICONERROR},
    {MessageIcon::Warning, MB_ICONWARNING},
    {MessageIcon::Information, MB_ICONINFORMATION},
}};

}  // namespace

void Win32MessageBoxes::ShowMessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) {
  UINT style = MB_OK | MB_TASKMODAL | MB_SETFOREGROUND;
  for (const IconStyle& row : IconStyles) {
    if (row.icon == icon) style |= row.style;
  }
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), style);
}

}  // namespace trelvane
