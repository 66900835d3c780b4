#include "text/device_text.h"

namespace trelvane {

namespace {

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace

std::u16string ShownDeviceText(std::u16string_view text) {
  static constexpr char16_t Digits[] = u"0123456789ABCDEF";
  std::u16string shown;
  shown.reserve(text.size());
  for (const char16_t c : text) {
    if (!IsControl(c)) {
      shown += c;
      continue;
    }
    shown += u"\\x";
    shown += Digits[(c >> 4) & 0xF];
    shown += Digits[c & 0xF];
  }
  return shown;
}

}  // namespace trelvane
