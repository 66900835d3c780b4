// Drive texts on their way into the program: control characters escaped, everything else kept.

#include <gtest/gtest.h>

#include "text/device_text.h"

namespace trelvane {
namespace {

TEST(ShownDeviceText, ControlCharactersAreEscapedInUpperCaseHex) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"ST320410A", u"ST320410A"},
      {u"X\x1B[2JY", u"X\\x1B[2JY"},
      {std::u16string(u"A\0B", 3), u"A\\x00B"},
      {u"A\x7F", u"A\\x7F"},
      {u"line\nnext\r", u"line\\x0Anext\\x0D"},
      {u"a\tb", u"a\\x09b"},
      {u"\x9B" u"31m", u"\\x9B31m"},         // the one-character CSI of the C1 controls
      {u"Ä é \\x1B ГБ", u"Ä é \\x1B ГБ"},  // printable text, backslashes included, stays as it is
  };
  for (const auto& [raw, shown] : cases) {
    EXPECT_EQ(ShownDeviceText(raw), shown);
    EXPECT_EQ(ShownDeviceText(ShownDeviceText(raw)), shown);
  }
}

}  // namespace
}  // namespace trelvane
