#include <gtest/gtest.h>

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

TEST(SizeText, BoundsAreRunsOfNinesAndValuesAreTruncated) {
  EXPECT_EQ(SizeText(0, u','), u"0 байт");
  EXPECT_EQ(SizeText(512, u','), u"512 байт");
  EXPECT_EQ(SizeText(99998, u','), u"99998 байт");
  EXPECT_EQ(SizeText(99999, u','), u"99,99 КБ");
  EXPECT_EQ(SizeText(999999, u','), u"999,99 КБ");
  EXPECT_EQ(SizeText(8388608, u','), u"8388,6 КБ");
  EXPECT_EQ(SizeText(9999998, u','), u"9999,99 КБ");
  EXPECT_EQ(SizeText(9999999, u','), u"9,99 МБ");
  EXPECT_EQ(SizeText(1000000000, u','), u"1000 МБ");
  EXPECT_EQ(SizeText(9999999999, u','), u"9,99 ГБ");
  EXPECT_EQ(SizeText(500107862016, u','), u"500,1 ГБ");
  EXPECT_EQ(SizeText(2000398934016, u','), u"2000,39 ГБ");
  EXPECT_EQ(SizeText(1000000000000, u','), u"1000 ГБ");
}

TEST(SizeText, DecimalSeparatorFollowsTheRegionalSettings) {
  EXPECT_EQ(SizeText(500107862016, u'.'), u"500.1 ГБ");
  EXPECT_EQ(SizeText(99999, u'.'), u"99.99 КБ");
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
