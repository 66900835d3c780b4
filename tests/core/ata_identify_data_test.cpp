// Decoding of IDENTIFY DEVICE answers: the rules at their edges (the real drives and the all-zero
// block are pinned by the golden details reports).

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

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

TEST(DecodeIdentifyData, Lba48OnlyWhenItsCountExceedsTheLba28Count) {
  Block block{};
  SetWord(block, 49, 1u << 9);
  SetWord(block, 83, 1u << 10);
  SetWord(block, 60, 0xFFFF);  // 268435455
  SetWord(block, 61, 0x0FFF);
  SetWord(block, 100, 0x6030);  // 976773168
  SetWord(block, 101, 0x3A38);
  T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_TRUE(p.lba48support);
  EXPECT_EQ(p.lba28sectors, 268435455);
  EXPECT_EQ(p.lba48sectors, 976773168);
  EXPECT_EQ(p.lbasectors, 976773168);

  SetWord(block, 100, 0xFFFF);  // equal to the 28-bit count
  SetWord(block, 101, 0x0FFF);
  p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_FALSE(p.lba48support);
  EXPECT_EQ(p.lba48sectors, 0);
  EXPECT_EQ(p.lbasectors, 268435455);

  SetWord(block, 102, 1);  // greater, but word 83 bit 10 clear
  SetWord(block, 83, 0);
  EXPECT_FALSE(DecodeIdentifyData(block, CodePageWestern).lba48support);
}

TEST(DecodeIdentifyData, WithoutLbaSupportBothCountsStayZero) {
  Block block{};
  SetWord(block, 83, 1u << 10);
  SetWord(block, 60, 1000);
  SetWord(block, 100, 5000);
  const T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_FALSE(p.lba28support);
  EXPECT_FALSE(p.lba48support);
  EXPECT_EQ(p.lba28sectors, 0);
  EXPECT_EQ(p.lba48sectors, 0);
  EXPECT_EQ(p.lbasectors, 0);
}

TEST(DecodeIdentifyData, A64BitCountWhoseByteCapacityOverflowsIsNotTaken) {
  Block block{};
  SetWord(block, 49, 1u << 9);
  SetWord(block, 83, 1u << 10);
  SetWord(block, 60, 1000);
  SetWord(block, 103, 0x0040);  // 2^54 sectors: 2^63 bytes
  EXPECT_FALSE(DecodeIdentifyData(block, CodePageWestern).lba48support);
  SetWord(block, 103, 0x003F);
  SetWord(block, 102, 0xFFFF);
  EXPECT_TRUE(DecodeIdentifyData(block, CodePageWestern).lba48support);
}

TEST(DecodeIdentifyData, SecurityStateBitsCountOnlyWithSecuritySupport) {
  Block block{};
  SetWord(block, 128, (1u << 1) | (1u << 2) | (1u << 8));
  T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_FALSE(p.securitysupport);
  EXPECT_FALSE(p.locked);
  EXPECT_FALSE(p.lockedmax);

  SetWord(block, 82, 1u << 1);
  p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_TRUE(p.securitysupport);
  EXPECT_TRUE(p.locked);
  EXPECT_TRUE(p.lockedmax);

  SetWord(block, 128, 1u << 1);  // enabled but not locked
  p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_FALSE(p.locked);
  EXPECT_FALSE(p.lockedmax);
}

TEST(DecodeIdentifyData, QueueDepthIsTheWholeOfWord75) {
  Block block{};
  SetWord(block, 75, 0x00FF);  // bits above 4 are kept
  T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
  EXPECT_TRUE(p.QueueSupported);
  EXPECT_EQ(p.QueueDepth, 255);
}

TEST(DecodeIdentifyData, UltraDmaModesNeedBothDmaBits) {
  Block block{};
  SetWord(block, 88, 0x047F);  // modes 0-6 supported, mode 2 selected
  SetWord(block, 49, 1u << 8);
  EXPECT_EQ(DecodeIdentifyData(block, CodePageWestern).dmamodesupport, 0);  // word 53 bit 2 clear
  SetWord(block, 53, 1u << 2);
  const T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
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

}  // namespace
}  // namespace trelvane
