// The zero fill's figures and texts: time base, rounding, captions, error texts and extents.

#include <gtest/gtest.h>

#include "format/progress_text.h"
#include "format/run_clock.h"
#include "format/erase_method.h"
#include "format/wipe_extents.h"
#include "format/write_errors.h"
#include "test_support.h"

namespace trelvane {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  EXPECT_EQ(RoundHalfEven(2.4999999), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
}

TEST(RunClockMilliseconds, CountsFromTheEndOf1899AndKeepsWholeDaysAcrossMidnightAndYears) {
  EXPECT_EQ(RunClockMilliseconds({1899, 12, 30, 0, 0, 0, 0}), 0);
  EXPECT_EQ(RunClockMilliseconds({1900, 1, 1, 12, 0, 0, 0}), (2 * 86400 + 43200) * std::int64_t{1000});
  const SystemTime beforeMidnight{2026, 12, 31, 23, 59, 59, 999};
  const SystemTime afterMidnight{2027, 1, 1, 0, 0, 0, 1};
  EXPECT_EQ(RunClockMilliseconds(afterMidnight) - RunClockMilliseconds(beforeMidnight), 2);
  // Every millisecond of a day stays distinct at today's day counts.
  const SystemTime a{2026, 12, 7, 10, 15, 30, 250};
  const SystemTime b{2026, 12, 7, 10, 15, 30, 251};
  EXPECT_EQ(RunClockMilliseconds(b) - RunClockMilliseconds(a), 1);
  EXPECT_EQ(RunClockMilliseconds({2024, 3, 1, 0, 0, 0, 0}) - RunClockMilliseconds({2024, 2, 28, 0, 0, 0, 0}),
            2 * 86'400'000);
}

TEST(ProgressText, PercentAndSectorRoundHalfToEven) {
  EXPECT_EQ(PercentDone(1, 8), 12);  // 12.5
  EXPECT_EQ(PercentDone(3, 8), 38);  // 37.5
  EXPECT_EQ(PercentDone(1, 3), 33);
  EXPECT_EQ(PercentDone(10'240'000, 10'240'000), 100);
  EXPECT_EQ(SectorAt(256, 512), 0);    // 0.5
  EXPECT_EQ(SectorAt(768, 512), 2);    // 1.5
  EXPECT_EQ(SectorAt(769, 512), 2);
  EXPECT_EQ(SectorAt(10'240'000, 512), 20'000);
  EXPECT_EQ(SectorAt(10'240'000, 4096), 2'500);
  // Exact where a floating-point quotient would lose the last digits.
  EXPECT_EQ(SectorAt(9'007'199'254'740'993 * 512, 512), 9'007'199'254'740'993);
}

TEST(ProgressText, Captions) {
  EXPECT_EQ(PercentCaption(7), u"7% завершено");
  EXPECT_EQ(PercentCaption(101), u"100% завершено");
  EXPECT_EQ(PositionCaption(1'953'525'168), u"Текущий сектор: 1,953,525,168");
  EXPECT_EQ(PositionCaption(9999), u"Текущий сектор: 9999");
  EXPECT_EQ(SpeedCaptionText(0.0, u','), u"0,0 МБ/с");
  EXPECT_EQ(SpeedCaptionText(0.05, u','), u"0,1 МБ/с");
  EXPECT_EQ(SpeedCaptionText(123.44, u'.'), u"123.4 МБ/с");
  EXPECT_EQ(SpeedCaptionText(1234.96, u','), u"1235,0 МБ/с");
}

TEST(EraseMethodExtents, WholeDriveOrHeadAndTail) {
  using Extents = std::vector<WipeExtent>;
  const EraseMethod& whole = WholeDiskZeroFill();
  const EraseMethod& quick = QuickWipe();
  EXPECT_EQ(whole.Extents(0), Extents{});
  EXPECT_EQ(quick.Extents(0), Extents{});
  EXPECT_EQ(whole.Extents(1'000'000'000'000), (Extents{{0, 1'000'000'000'000}}));
  EXPECT_EQ(quick.Extents(1'000'000'000'000),
            (Extents{{0, 10'240'000}, {1'000'000'000'000 - 1'048'576, 1'000'000'000'000}}));
  EXPECT_EQ(quick.Extents(5'000'000), (Extents{{0, 5'000'000}}));
  EXPECT_EQ(quick.Extents(11'288'576), (Extents{{0, 11'288'576}}));
  EXPECT_EQ(quick.Extents(11'288'576 + 512), (Extents{{0, 10'240'000}, {10'240'512, 11'289'088}}));
}

}  // namespace
}  // namespace trelvane
