
#include "device/probe.h"
#include "text/u16.h"

namespace trelvane {

namespace {

int HexValue(char16_t digit) {
  if (digit >= u'0' && digit <= u'9') return digit - u'0';
  return digit - u'A' + 10;  // the text is known to hold only 0-9 and A-F here
}

char16_t HexPair(char16_t high, char16_t low) {
  return static_cast<char16_t>(HexValue(high) * 16 + HexValue(low));
}

bool IsPlainSerialCharacter(char16_t c) {
  return c == 0 || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Characters are counted from 1 as in "characters 4i+1 to 4i+4" of group i.
char16_t At(const std::u16string& text, std::size_t position) { return text[position - 1]; }

}  // namespace

// Some drivers report the serial as the hexadecimal digits of its 20 bytes. Stage 1 reads each group
// of four digits as two byte values in the order the ATA word holds them; when that gives anything but
// letters and digits, stage 2 reads the digits of each byte the other way round.
void DecodeHexSerial(DiagnosticLog& log, std::u16string& serial) {
  log.AddDebugLogLine(u"Выполнение уловки WinXP SN...");
  std::u16string digits = AsciiUpper(serial);
  for (auto& c : digits)
    if (c == u'_' || c == u' ') c = u'2';
  if (digits.size() != 40) return;
  for (char16_t c : digits)
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return;

  log.AddDebugLogLine(u"Этап 1...");
  serial.clear();
  bool needsSecondStage = false;
  for (std::size_t i = 0; i < 10; ++i) {
    const char16_t a = HexPair(At(digits, 4 * i + 3), At(digits, 4 * i + 4));
    const char16_t b = HexPair(At(digits, 4 * i + 1), At(digits, 4 * i + 2));
    serial += a;
    serial += b;
    needsSecondStage = needsSecondStage || !IsPlainSerialCharacter(a) || !IsPlainSerialCharacter(b);
  }
  if (needsSecondStage) {
    log.AddDebugLogLine(u"Этап 2...");
    serial.clear();
    for (std::size_t i = 0; i < 10; ++i) {
      serial += HexPair(At(digits, 4 * i + 4), At(digits, 4 * i + 3));
      serial += HexPair(At(digits, 4 * i + 2), At(digits, 4 * i + 1));
    }
  }
  serial = Trim(serial);
}

}  // namespace trelvane
