// The program's small texts and figures: grouped numbers, sizes, drive titles, escaped drive texts,
// dates and times, rounding, the run clock, progress captions and the erase methods' extents.

#include <gtest/gtest.h>

#include <tuple>

#include "common/drive_title.h"
#include "format/erase_method.h"
#include "format/progress_text.h"
#include "format/run_clock.h"
#include "format/wipe_extents.h"
#include "test_support.h"
#include "text/date_time_text.h"
#include "text/device_text.h"
#include "text/number_text.h"

namespace trelvane {
namespace {

// Four digits stay plain, longer numbers group in threes.
TEST(GroupDigits, FourDigitsStayPlainLongerOnesGroupInThrees) {
  const std::pair<std::int64_t, const char16_t*> cases[] = {
      {0, u"0"},           {999, u"999"},         {1000, u"1000"},           {9999, u"9999"},
      {10000, u"10,000"},  {100000, u"100,000"},  {123456, u"123,456"},     {1000000, u"1,000,000"},
      {500107862016, u"500,107,862,016"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(GroupDigits(value), text) << value;
}

// Bounds are runs of nines, values are truncated, the separator follows the regional settings.
TEST(SizeText, BoundsValuesAndSeparator) {
  const std::tuple<std::int64_t, char16_t, const char16_t*> cases[] = {
      {0, u',', u"0 байт"},           {512, u',', u"512 байт"},           {99998, u',', u"99998 байт"},
      {99999, u',', u"99,99 КБ"},     {999999, u',', u"999,99 КБ"},       {8388608, u',', u"8388,6 КБ"},
      {9999998, u',', u"9999,99 КБ"}, {9999999, u',', u"9,99 МБ"},        {1000000000, u',', u"1000 МБ"},
      {9999999999, u',', u"9,99 ГБ"}, {500107862016, u',', u"500,1 ГБ"},  {2000398934016, u',', u"2000,39 ГБ"},
      {1000000000000, u',', u"1000 ГБ"}, {500107862016, u'.', u"500.1 ГБ"}, {99999, u'.', u"99.99 КБ"}};
  for (const auto& [bytes, separator, text] : cases) EXPECT_EQ(SizeText(bytes, separator), text) << bytes;
}

// Fixed separators and trimmed texts; an index outside the table is refused.
TEST(ComposeDriveTitle, FixedSeparatorsTrimmedTextsAndTheTablesBounds) {
  DriveTableEntries table;
  table[1].DeviceNumber = 1;
  table[1].IdentifyData.Model = u"  WDC WD5000AAKX \t";
  table[1].IdentifyData.FW = u" 15.01H15 ";
  table[1].IdentifyData.LBA = 976773168;
  table[1].IdentifyData.SectorSize = 512;
  EXPECT_EQ(ComposeDriveTitle(table, 1, u','),
            u"[1]  WDC WD5000AAKX    15.01H15    [500,1 ГБ]    (976773168 512-байтовых секторов)");
  table[2].IdentifyData.LBA = 244190646;
  table[2].IdentifyData.SectorSize = 4096;
  EXPECT_EQ(ComposeDriveTitle(table, 2, u'.'), u"[0]          [1000.2 ГБ]    (244190646 4096-байтовых секторов)");
  EXPECT_THROW(ComposeDriveTitle(table, 0, u','), std::out_of_range);
  EXPECT_THROW(ComposeDriveTitle(table, 17, u','), std::out_of_range);
  EXPECT_NO_THROW(ComposeDriveTitle(table, 16, u','));
}

// Drive texts on their way into the program: control characters escaped in upper-case hex,
// everything else kept, and escaping twice changes nothing more.
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

// The short date, a blank and the long time, which is left out at exactly midnight; quoted text in a
// picture is copied.
TEST(DateTimeText, ShortDateBlankLongTime) {
  const RegionalSettings russian{};
  const RegionalSettings us{u"M/d/yyyy", u"h:mm:ss tt", u'.'};
  const RegionalSettings iso{u"yy-MM-dd", u"HH:mm:ss", u','};
  const std::tuple<SystemTime, RegionalSettings, const char16_t*> cases[] = {
      {{2026, 12, 7, 9, 5, 3, 250}, russian, u"07.12.2026 9:05:03"},
      {{2026, 12, 7, 9, 5, 3, 250}, us, u"12/7/2026 9:05:03 AM"},
      {{2026, 1, 2, 21, 0, 0, 1}, iso, u"26-01-02 21:00:00"},
      {{2026, 12, 7, 0, 0, 0, 0}, russian, u"07.12.2026"},
      {{2026, 12, 7, 0, 0, 0, 1}, russian, u"07.12.2026 0:00:00"},
  };
  for (const auto& [time, settings, text] : cases) EXPECT_EQ(DateTimeText(time, settings), text);
  EXPECT_EQ(FormatWithPicture(SystemTime{2026, 3, 4, 5, 6, 7, 0}, u"d 'de' MM 'h'H"), u"4 de 03 h5");
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, std::int64_t> cases[] = {{0.5, 0},       {1.5, 2},  {2.5, 2},  {2.5000001, 3},
                                                   {2.4999999, 2}, {-0.5, 0}, {-1.5, -2}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
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

TEST(ProgressText, PercentAndSectorRoundHalfToEvenAndTheCaptions) {
  EXPECT_EQ(PercentDone(1, 8), 12);  // 12.5
  EXPECT_EQ(PercentDone(3, 8), 38);  // 37.5
  EXPECT_EQ(PercentDone(1, 3), 33);
  EXPECT_EQ(PercentDone(10'240'000, 10'240'000), 100);
  const std::tuple<std::int64_t, std::int64_t, std::int64_t> sectors[] = {
      {256, 512, 0},  // 0.5
      {768, 512, 2},  // 1.5
      {769, 512, 2},  {10'240'000, 512, 20'000}, {10'240'000, 4096, 2'500}, {6144, 4096, 2},  // 1.5
      // Exact where a floating-point quotient would lose the last digits.
      {9'007'199'254'740'993 * 512, 512, 9'007'199'254'740'993}};
  for (const auto& [offset, size, sector] : sectors) EXPECT_EQ(SectorAt(offset, size), sector) << offset;
  EXPECT_EQ(PercentCaption(7), u"7% завершено");
  EXPECT_EQ(PercentCaption(101), u"100% завершено");
  EXPECT_EQ(PositionCaption(1'953'525'168), u"Текущий сектор: 1,953,525,168");
  EXPECT_EQ(PositionCaption(9999), u"Текущий сектор: 9999");
  EXPECT_EQ(SpeedCaptionText(0.0, u','), u"0,0 МБ/с");
  EXPECT_EQ(SpeedCaptionText(0.05, u','), u"0,1 МБ/с");
  EXPECT_EQ(SpeedCaptionText(123.44, u'.'), u"123.4 МБ/с");
  EXPECT_EQ(SpeedCaptionText(1234.96, u','), u"1235,0 МБ/с");
  EXPECT_EQ(PercentCaption(RunPhase::Check, 101), u"Проверка: 100% завершено");
  EXPECT_EQ(SpeedCaptionText(RunPhase::Check, 7.5, u','), u"Скорость чтения: 7,5 МБ/с");
}

// Done and total in the total's unit, cut (never rounded up to the total); the time left only once
// a second has passed and something is left.
TEST(ProgressTexts, AmountCaptionSaysHowMuchAndHowLong) {
  const std::tuple<std::int64_t, std::int64_t, std::int64_t, char16_t, const char16_t*> rows[] = {
      {31'499'999'999, 67'108'864'000, 12'345, u',', u"31,4 из 67,1 ГБ, прошло 12 с, осталось около 14 с"},
      {67'108'863'999, 67'108'864'000, 600'000, u'.', u"67.1 из 67.1 ГБ, прошло 10 мин 00 с, осталось около 1 с"},
      {4096, 262'144, 1000, u',', u"4,0 из 262,1 КБ, прошло 1 с, осталось около 1 мин 03 с"},
      {0, 512, 5000, u',', u"0 из 512 байт, прошло 5 с"},
      {1'000'000'000, 4'000'000'000'000, 3'600'000, u',', u"1,0 из 4000,0 ГБ, прошло 1 ч 00 мин 00 с, осталось около 3999 ч 00 мин 00 с"},
  };
  for (const auto& [done, total, ms, separator, text] : rows)
    EXPECT_EQ(AmountCaption(done, total, ms, separator), text) << done;
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
