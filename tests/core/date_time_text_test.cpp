#include <gtest/gtest.h>

#include "test_support.h"
#include "text/date_time_text.h"

namespace trelvane {
namespace {

TEST(DateTimeText, ShortDateBlankLongTime) {
  const SystemTime time{2026, 12, 7, 9, 5, 3, 250};
  EXPECT_EQ(DateTimeText(time, RegionalSettings{}), u"07.12.2026 9:05:03");
  RegionalSettings us{u"M/d/yyyy", u"h:mm:ss tt", u'.'};
  EXPECT_EQ(DateTimeText(time, us), u"12/7/2026 9:05:03 AM");
  const SystemTime evening{2026, 1, 2, 21, 0, 0, 1};
  EXPECT_EQ(DateTimeText(evening, RegionalSettings{u"yy-MM-dd", u"HH:mm:ss", u','}), u"26-01-02 21:00:00");
}

TEST(DateTimeText, TimeIsLeftOutAtExactlyMidnight) {
  EXPECT_EQ(DateTimeText(SystemTime{2026, 12, 7, 0, 0, 0, 0}, RegionalSettings{}), u"07.12.2026");
  EXPECT_EQ(DateTimeText(SystemTime{2026, 12, 7, 0, 0, 0, 1}, RegionalSettings{}), u"07.12.2026 0:00:00");
}

TEST(FormatWithPicture, QuotedTextIsCopied) {
  EXPECT_EQ(FormatWithPicture(SystemTime{2026, 3, 4, 5, 6, 7, 0}, u"d 'de' MM 'h'H"), u"4 de 03 h5");
}

}  // namespace
}  // namespace trelvane
