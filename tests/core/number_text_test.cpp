#include <gtest/gtest.h>

#include <tuple>

#include "test_support.h"
#include "common/drive_title.h"
#include "text/number_text.h"

namespace trelvane {
namespace {

TEST(GroupDigits, FourDigitsStayPlainLongerOnesGroupInThrees) {
  EXPECT_EQ(GroupDigits(0), u"0");
  EXPECT_EQ(GroupDigits(999), u"999");
  EXPECT_EQ(GroupDigits(1000), u"1000");
  EXPECT_EQ(GroupDigits(9999), u"9999");
  EXPECT_EQ(GroupDigits(10000), u"10,000");
  EXPECT_EQ(GroupDigits(100000), u"100,000");
  EXPECT_EQ(GroupDigits(123456), u"123,456");
  EXPECT_EQ(GroupDigits(1000000), u"1,000,000");
  EXPECT_EQ(GroupDigits(500107862016), u"500,107,862,016");
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

TEST(ComposeDriveTitle, FixedSeparatorsAndTrimmedTexts) {
  DriveTableEntries table;
  table[1].DeviceNumber = 1;
  table[1].IdentifyData.Model = u"  WDC WD5000AAKX \t";
  table[1].IdentifyData.FW = u" 15.01H15 ";
  table[1].IdentifyData.LBA = 976773168;
  table[1].IdentifyData.SectorSize = 512;
  EXPECT_EQ(ComposeDriveTitle(table, 1, u','),
            u"[1]  WDC WD5000AAKX    15.01H15    [500,1 ГБ]    (976773168 512-байтовых секторов)");
}

TEST(ComposeDriveTitle, IndexOutsideTheTableIsRefused) {
  DriveTableEntries table;
  EXPECT_THROW(ComposeDriveTitle(table, 0, u','), std::out_of_range);
  EXPECT_THROW(ComposeDriveTitle(table, 17, u','), std::out_of_range);
  EXPECT_NO_THROW(ComposeDriveTitle(table, 16, u','));
}

}  // namespace
}  // namespace trelvane
