// Decoding of IDENTIFY DEVICE answers: five real drives and the rules at their edges.

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

Block LoadBlock(const std::string& name) {
  const auto bytes = testing::ReadBinaryFile(testing::RealDriveFile(name));
  Block block{};
  EXPECT_EQ(bytes.size(), block.size()) << name;
  std::copy_n(bytes.begin(), std::min(bytes.size(), block.size()), block.begin());
  return block;
}

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

struct RealDrive {
  std::string file;
  std::u16string model, firmware, serial;
  std::int64_t lba28, lba48;  // lba48 is 0 when the program does not use 48-bit addressing
  std::uint32_t bufferBytes;
  bool securityLockedMax, aam, streaming;
  std::int64_t word75;
  std::uint8_t udmaSupported, udmaSelected;
};

// Reference values read by independent tools; LBA-48 only where its count exceeds the 28-bit one.
const RealDrive RealDrives[] = {
    {"INTEL_SSDSA2CW120G3--4PC10302", u"INTEL SSDSA2CW120G3", u"4PC10302", u"CVPR109301UZ120LGN", 234441648, 0,
     0, true, false, false, 31, 6, 6},
    {"MCCOE64GEMPP--2.9.09", u"MCCOE64GEMPP", u"2.9.09", u"SE808N0608", 117231408, 0, 0, false, true, false, 0, 4,
     4},
    {"WDC_WD2500JB--00REA0-20.00K20", u"WDC WD2500JB-00REA0", u"20.00K20", u"WD-WMANK4051741", 268435455,
     488397168, 8388608, false, true, true, 0, 5, 4},
    {"FUJITSU_MHY2120BH--0084000D", u"FUJITSU MHY2120BH", u"0084000D", u"K434T81257SL", 234441648, 0, 8388608,
     false, true, false, 31, 5, 5},
    {"ST320410A--3.39", u"ST320410A", u"3.39", u"5FB3QF34", 39100223, 0, 2097152, false, true, false, 0, 5, 5},
};

TEST(DecodeIdentifyData, RealDrivesMatchTheReferenceValues) {
  for (const RealDrive& drive : RealDrives) {
    SCOPED_TRACE(drive.file);
    const Block block = LoadBlock(drive.file + ".identify.bin");
    const T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageWestern);
    EXPECT_EQ(p.name, drive.model);
    EXPECT_EQ(p.fw, drive.firmware);
    EXPECT_EQ(p.sn, drive.serial);
    EXPECT_TRUE(p.lba28support);
    EXPECT_EQ(p.lba28sectors, drive.lba28);
    EXPECT_EQ(p.lba48support, drive.lba48 != 0);
    EXPECT_EQ(p.lba48sectors, drive.lba48);
    EXPECT_EQ(p.lbasectors, drive.lba48 != 0 ? drive.lba48 : drive.lba28);
    EXPECT_EQ(p.buffersize, drive.bufferBytes);
    EXPECT_TRUE(p.securitysupport);
    EXPECT_FALSE(p.locked);
    EXPECT_EQ(p.lockedmax, drive.securityLockedMax);
    EXPECT_TRUE(p.smartsupport);
    EXPECT_TRUE(p.smartenabled);
    EXPECT_TRUE(p.hpasupport);
    EXPECT_EQ(p.aamsupport, drive.aam);
    EXPECT_EQ(p.StreamingSupported, drive.streaming);
    EXPECT_EQ(p.QueueDepth, drive.word75);
    EXPECT_EQ(p.QueueSupported, drive.word75 != 0);
    EXPECT_TRUE(p.dmasupport);
    EXPECT_EQ(p.dmamodesupport, drive.udmaSupported);
    EXPECT_EQ(p.dmamodeselected, drive.udmaSelected);
    EXPECT_EQ(p.readmultiplesectors, 16);
    EXPECT_EQ(p.sectorsize, 512);
    EXPECT_FALSE(p.isremovable);
    EXPECT_FALSE(p.ispacket);
  }
}

TEST(DecodeIdentifyData, AllZeroBlockGivesEmptyTextsAndNothingSupported) {
  const Block block{};
  const T_IDE_PASSPORT p = DecodeIdentifyData(block, CodePageCyrillic);
  EXPECT_EQ(p.name, u"");
  EXPECT_EQ(p.fw, u"");
  EXPECT_EQ(p.sn, u"");
  EXPECT_FALSE(p.lba28support || p.lba48support || p.securitysupport || p.smartsupport || p.hpasupport ||
               p.aamsupport || p.dmasupport || p.StreamingSupported || p.QueueSupported);
  EXPECT_EQ(p.lbasectors, 0);
  EXPECT_EQ(p.buffersize, 0u);
  EXPECT_EQ(p.QueueDepth, 0);
  EXPECT_EQ(p.sectorsize, 512);
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
