// Decoding of IDENTIFY DEVICE answers: the rules at their edges (the real drives and the all-zero
// block are pinned by the golden details reports), and the body of the device details report for
// decoded drives.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ata/device_details.h"
#include "ata/identify_data.h"
#include "test_support.h"
#include "text/ansi_code_page.h"

namespace trelvane {
namespace {

using Block = std::array<std::uint8_t, 512>;

void SetWord(Block& block, std::size_t word, std::uint16_t value) {
  block[2 * word] = static_cast<std::uint8_t>(value);
  block[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

// Stores `text` as an ATA string: first character of each pair in the word's high byte.
void SetAtaString(Block& block, std::size_t firstWord, const std::string& text, std::size_t byteCount) {
  std::string padded = text;
  padded.resize(byteCount, ' ');
  for (std::size_t i = 0; i < byteCount; i += 2)
    SetWord(block, firstWord + i / 2,
            static_cast<std::uint16_t>((static_cast<std::uint8_t>(padded[i]) << 8) |
                                       static_cast<std::uint8_t>(padded[i + 1])));
}

TEST(DecodeIdentifyData, TextFieldsAreSwappedPerWordAndTrimmedAtBothEnds) {
  Block block{};
  SetAtaString(block, 27, "MODEL-1234", 40);            // ten characters and thirty blanks
  SetAtaString(block, 23, " 1.0", 8);                   // a leading blank
  SetAtaString(block, 10, std::string("AB\0CD", 5), 20);  // a zero inside stays inside, escaped
  const T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_EQ(p.name, u"MODEL-1234");
  EXPECT_EQ(p.fw, u"1.0");
  EXPECT_EQ(p.sn, u"AB\\x00CD");
}

TEST(DecodeIdentifyData, TextFieldsAreReadInTheAnsiCodePage) {
  Block block{};
  SetAtaString(block, 27, "\xC4\xE8\xF1\xEA \xA8", 40);  // "Диск Ё" in 1251
  EXPECT_EQ(DecodeIdentifyData(block, CodePageCyrillic).name, u"Диск Ё");
  EXPECT_EQ(DecodeIdentifyData(block, CodePageWestern).name, u"Äèñê ¨");
  EXPECT_EQ(DecodeIdentifyData(block, 65001).name, u"Äèñê ¨");  // other code pages read as Western
}

// The words a case sets, and the fields it expects of the decoded passport.
struct Words {
  const char* name;
  std::vector<std::pair<std::size_t, std::uint16_t>> words;
  std::vector<std::int64_t T_IDE_PASSPORT::*> counts;  // lba28sectors, lba48sectors, lbasectors
  std::vector<std::int64_t> expectedCounts;
  std::vector<bool T_IDE_PASSPORT::*> flags;
  std::vector<bool> expectedFlags;
};

using P = T_IDE_PASSPORT;
constexpr std::uint16_t Lba = 1u << 9;   // word 49
constexpr std::uint16_t Lba48 = 1u << 10;  // word 83

TEST(DecodeIdentifyData, CapacityAndSecurityBitsAtTheirEdges) {
  const Words cases[] = {
      // 48-bit only when its count exceeds the 28-bit count (268435455 against 976773168).
      {"lba48 larger", {{49, Lba}, {83, Lba48}, {60, 0xFFFF}, {61, 0x0FFF}, {100, 0x6030}, {101, 0x3A38}},
       {&P::lba28sectors, &P::lba48sectors, &P::lbasectors}, {268435455, 976773168, 976773168},
       {&P::lba48support}, {true}},
      {"lba48 equal", {{49, Lba}, {83, Lba48}, {60, 0xFFFF}, {61, 0x0FFF}, {100, 0xFFFF}, {101, 0x0FFF}},
       {&P::lba48sectors, &P::lbasectors}, {0, 268435455}, {&P::lba48support}, {false}},
      {"lba48 larger, word 83 bit 10 clear", {{49, Lba}, {60, 0xFFFF}, {61, 0x0FFF}, {100, 0xFFFF}, {101, 0x0FFF}, {102, 1}},
       {&P::lbasectors}, {268435455}, {&P::lba48support}, {false}},
      {"no lba", {{83, Lba48}, {60, 1000}, {100, 5000}}, {&P::lba28sectors, &P::lba48sectors, &P::lbasectors}, {0, 0, 0},
       {&P::lba28support, &P::lba48support}, {false, false}},
      // A 64-bit count whose byte capacity overflows is not taken: 2^54 sectors are 2^63 bytes.
      {"2^54 sectors", {{49, Lba}, {83, Lba48}, {60, 1000}, {103, 0x0040}}, {&P::lbasectors}, {1000}, {&P::lba48support}, {false}},
      {"just under 2^54 sectors", {{49, Lba}, {83, Lba48}, {60, 1000}, {102, 0xFFFF}, {103, 0x003F}}, {}, {},
       {&P::lba48support}, {true}},
      // The security state bits count only with security support.
      {"locked without support", {{128, (1u << 1) | (1u << 2) | (1u << 8)}}, {}, {},
       {&P::securitysupport, &P::locked, &P::lockedmax}, {false, false, false}},
      {"locked at maximum", {{82, 1u << 1}, {128, (1u << 1) | (1u << 2) | (1u << 8)}}, {}, {},
       {&P::securitysupport, &P::locked, &P::lockedmax}, {true, true, true}},
      {"enabled, not locked", {{82, 1u << 1}, {128, 1u << 1}}, {}, {}, {&P::locked, &P::lockedmax}, {false, false}},
  };
  for (const Words& c : cases) {
    SCOPED_TRACE(c.name);
    Block block{};
    for (const auto& [word, value] : c.words) SetWord(block, word, value);
    const T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
    for (std::size_t i = 0; i < c.counts.size(); ++i) EXPECT_EQ(p.*c.counts[i], c.expectedCounts[i]) << i;
    for (std::size_t i = 0; i < c.flags.size(); ++i) EXPECT_EQ(p.*c.flags[i], c.expectedFlags[i]) << i;
  }
}

TEST(DecodeIdentifyData, QueueDepthIsTheWholeOfWord75AndUltraDmaNeedsBothDmaBits) {
  Block block{};
  SetWord(block, 75, 0x00FF);  // bits above 4 are kept
  SetWord(block, 88, 0x047F);  // modes 0-6 supported, mode 2 selected
  SetWord(block, 49, 1u << 8);
  T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_TRUE(p.QueueSupported);
  EXPECT_EQ(p.QueueDepth, 255);
  EXPECT_EQ(p.dmamodesupport, 0);  // word 53 bit 2 clear
  SetWord(block, 53, 1u << 2);
  p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_TRUE(p.dmasupport);
  EXPECT_EQ(p.dmamodesupport, 6);
  EXPECT_EQ(p.dmamodeselected, 2);
}

TEST(AnsiCharacter, UpperHalvesOfTheBuiltInCodePages) {
  EXPECT_EQ(AnsiCharacter('A', CodePageCyrillic), u'A');
  EXPECT_EQ(AnsiCharacter(0xC0, CodePageCyrillic), u'А');
  EXPECT_EQ(AnsiCharacter(0xFF, CodePageCyrillic), u'я');
  EXPECT_EQ(AnsiCharacter(0xA8, CodePageCyrillic), u'Ё');
  EXPECT_EQ(AnsiCharacter(0xB9, CodePageCyrillic), u'№');
  EXPECT_EQ(AnsiCharacter(0x98, CodePageCyrillic), u'\u0098');  // undefined in 1251
  EXPECT_EQ(AnsiCharacter(0x80, CodePageWestern), u'€');
  EXPECT_EQ(AnsiCharacter(0x81, CodePageWestern), u'\u0081');  // undefined in 1252
  EXPECT_EQ(AnsiCharacter(0xE9, CodePageWestern), u'é');
}

using Lines = std::vector<std::u16string>;

// Lines of `lines` from the one equal to `heading` up to the next blank line (exclusive).
Lines Section(const Lines& lines, const std::u16string& heading) {
  Lines section;
  bool inside = false;
  for (const auto& line : lines) {
    if (line == heading) inside = true;
    if (inside && line == u" ") break;
    if (inside) section.push_back(line);
  }
  return section;
}

TEST(DeviceDetailsBody, CountsAreGroupedAndCapacityUses512ByteSectors) {
  T_IDE_PASSPORT passport;
  passport.lba28support = passport.lba48support = true;
  passport.lba28sectors = 268435455;
  passport.lba48sectors = passport.lbasectors = 976773168;
  passport.sectorsize = 4096;  // not used: the capacity always counts 512 bytes a sector
  passport.buffersize = 8388608;
  const Lines lines = DeviceDetailsBody(passport, u',');
  EXPECT_EQ(lines[3], u"Размер буфера: 8388,6 КБ");
  EXPECT_EQ(Section(lines, u"ФИЗИЧЕСКИЕ ПАРАМЕТРЫ:"),
            (Lines{u"ФИЗИЧЕСКИЕ ПАРАМЕТРЫ:", u"Режим LBA поддерживается", u"Режим LBA-48 поддерживается",
                   u"Сектора, доступные с командами LBA: 268,435,455",
                   u"Сектора, доступные с командами LBA-48: 976,773,168",
                   u"Полная емкость устройства: 500,107,862,016 байт"}));
  EXPECT_EQ(DeviceDetailsBody(passport, u'.')[3], u"Размер буфера: 8388.6 КБ");
}

TEST(DeviceDetailsBody, LockedDriveShowsItsSecurityLevel) {
  T_IDE_PASSPORT passport;
  passport.securitysupport = passport.locked = passport.lockedmax = true;
  EXPECT_EQ(Section(DeviceDetailsBody(passport, u','), u"БЕЗОПАСНОСТЬ:"),
            (Lines{u"БЕЗОПАСНОСТЬ:", u"Средства защиты поддерживаются", u"Диск в данное время ЗАБЛОКИРОВАН",
                   u"Уровень безопасности: Максимум", u"Устройству нужен пароль ПОЛЬЗОВАТЕЛЯ для разблокировки.",
                   u"Если пароль ПОЛЬЗОВАТЕЛЯ неизвестен, устройство могло бы быть стерто паролем МАСТЕРА."}));
  passport.lockedmax = false;
  EXPECT_EQ(Section(DeviceDetailsBody(passport, u','), u"БЕЗОПАСНОСТЬ:"),
            (Lines{u"БЕЗОПАСНОСТЬ:", u"Средства защиты поддерживаются", u"Диск в данное время ЗАБЛОКИРОВАН",
                   u"Уровень безопасности: Высокий",
                   u"Устройству нужен пароль ПОЛЬЗОВАТЕЛЯ или МАСТЕРА для разблокировки."}));
}

}  // namespace
}  // namespace trelvane