// The SMART table: attribute names, paddings and the fixed-width lines.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "ata/smart_attribute_names.h"
#include "ata/smart_report.h"
#include "test_support.h"
#include "text/u16.h"

namespace trelvane {
namespace {

using Record = std::array<std::uint8_t, 12>;

Record MakeRecord(std::uint8_t id, std::uint8_t current, std::uint8_t worst, std::uint64_t raw) {
  Record record{};
  record[0] = id;
  record[1] = 0x33;  // flags, not shown
  record[3] = current;
  record[4] = worst;
  for (std::size_t i = 0; i < 6; ++i) record[5 + i] = static_cast<std::uint8_t>(raw >> (8 * i));
  record[11] = 0xEE;  // reserved, not shown
  return record;
}

const std::u16string Header =
    u"          Атрибут                      Текущее   Худшее            Данные  Примечание";

TEST(SmartAttributeNames, FiftyFourNamesEachTwentySixCharacters) {
  int named = 0;
  for (const std::u16string_view name : SmartAttributeNames) {
    if (name.empty()) continue;
    ++named;
    EXPECT_EQ(name.size(), SmartNameWidth) << ToUtf8(name);
    EXPECT_NE(name.front(), u' ');
  }
  EXPECT_EQ(named, 54);
  EXPECT_EQ(SmartAttributeName(1), u"Частота ошибок чтения     ");
  EXPECT_EQ(SmartAttributeName(6), u"Запас канала чтения       ");
  EXPECT_EQ(SmartAttributeName(194), u"Температура HDA           ");
  EXPECT_EQ(SmartAttributeName(233), u"Индикатор износа носителя ");
}

TEST(SmartAttributeNames, IdsWithoutANameGetTheThirtyCharacterFallback) {
  const std::u16string fallback = u"Неизвестный" + std::u16string(19, u' ');
  for (const int id : {14, 98, 185, 191, 206, 231, 234, 250, 255, 0, 256}) EXPECT_EQ(SmartAttributeName(id), fallback) << id;
}

TEST(SmartPadding, PadsUpToTheWidthAndLeavesLongerTextsAlone) {
  EXPECT_EQ(PadRight(u"9", 3), u"9  ");
  EXPECT_EQ(PadLeft(u"36", 5), u"   36");
  EXPECT_EQ(PadLeft(u"", 2), u"  ");
  EXPECT_EQ(PadRight(u"абв", 3), u"абв");
  EXPECT_EQ(PadLeft(u"123456", 4), u"123456");
}

TEST(SmartAttributeLine, TemperatureRecordCarriesTheNoteUnderItsHeader) {
  const std::u16string line = SmartAttributeLine(MakeRecord(194, 36, 48, 0x24));
  EXPECT_EQ(line, u" 194  C2  Температура HDA                   36       48                36  (36°C) ");
  // The number columns end under the last letters of their headings, the note under "Примечание".
  EXPECT_EQ(line[45], u'6');
  EXPECT_EQ(Header[45], u'е');
  EXPECT_EQ(line[54], u'8');
  EXPECT_EQ(Header[54], u'е');
  EXPECT_EQ(line[72], u'6');
  EXPECT_EQ(Header[72], u'е');
  EXPECT_EQ(line[75], u'(');
  EXPECT_EQ(Header.substr(75, 1), u"П");
  EXPECT_EQ(Header.substr(10, 7), u"Атрибут");
}

TEST(SmartAttributeLine, OnlyId194HasATemperatureNote) {
  EXPECT_EQ(SmartAttributeLine(MakeRecord(190, 45, 45, 0x2D)),
            u" 190  BE  Температура воздуха               45       45                45");
  EXPECT_EQ(SmartAttributeLine(MakeRecord(194, 40, 61, 0x1234000028ull)).substr(73), u"  (40°C) ");
}

TEST(SmartAttributeLine, SmallIdsPadRightAndShowTwoHexDigits) {
  EXPECT_EQ(SmartAttributeLine(MakeRecord(9, 97, 97, 2379)),
            u" 9    09  Отработанное время                97       97              2379");
}

TEST(SmartAttributeLine, UnnamedIdShiftsTheRestFourColumnsRight) {
  const std::u16string named = SmartAttributeLine(MakeRecord(6, 100, 100, 7));
  const std::u16string unnamed = SmartAttributeLine(MakeRecord(250, 100, 100, 7));
  EXPECT_EQ(unnamed, u" 250  FA  Неизвестный                          100      100                 7");
  EXPECT_EQ(unnamed.size(), named.size() + 4);
  EXPECT_EQ(unnamed.substr(40), named.substr(36));
}

TEST(SmartAttributeLine, RawValueIsAllSixBytesUnsigned) {
  const std::u16string line = SmartAttributeLine(MakeRecord(5, 100, 100, 0xFFFFFFFFFFFFull));
  EXPECT_EQ(line.substr(57), u" 281474976710655");
  EXPECT_EQ(SmartAttributeLine(MakeRecord(5, 100, 100, 8589934592000ull)).substr(57), u"   8589934592000");
}

TEST(SmartTableLines, EmptyFirstRecordGivesHeadersAndTheClosingBlankLine) {
  std::array<std::uint8_t, 512> data{};
  data[0] = 0x10;  // revision, skipped
  data[14] = 5;    // a second record after the empty first one is not shown
  const auto lines = SmartTableLines(data);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], Header);
  EXPECT_EQ(lines[1], std::u16string(88, u'-'));
  EXPECT_EQ(lines[2], u" ");
}

TEST(SmartTableLines, ThirtyRecordsAreShownAndTheThirtyFirstIsNeverRead) {
  std::array<std::uint8_t, 512> data{};
  for (std::size_t i = 0; i < 31; ++i) {
    const Record record = MakeRecord(static_cast<std::uint8_t>(i + 1), 100, 99, i);
    std::copy(record.begin(), record.end(), data.begin() + 2 + 12 * static_cast<std::ptrdiff_t>(i));
  }
  const auto lines = SmartTableLines(data);
  ASSERT_EQ(lines.size(), 33u);
  EXPECT_EQ(lines[2].substr(0, 8), u" 1    01");
  EXPECT_EQ(lines[31].substr(0, 8), u" 30   1E");
  EXPECT_EQ(lines[32], u" ");
}

}  // namespace
}  // namespace trelvane
