#include "ata/identify_data.h"

#include <array>
#include <limits>
#include <utility>

#include "os/bytes.h"
#include "text/ansi_code_page.h"
#include "text/device_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

using IdentifyBlock = std::array<std::uint8_t, 512>;

// The ATA text fields: first word and length in bytes.
struct TextField {
  std::size_t firstWord;
  std::size_t byteCount;
};
constexpr TextField SerialField = {10, 20};
constexpr TextField FirmwareField = {23, 8};
constexpr TextField ModelField = {27, 40};
constexpr std::size_t TextBufferBytes = 80;

// ATA strings hold the first character of each pair in a word's high byte: swapping the two bytes of
// every word of the field puts the characters in reading order.
void SwapWordBytes(IdentifyBlock& block, const TextField& field) {
  for (std::size_t offset = 2 * field.firstWord; offset < 2 * field.firstWord + field.byteCount; offset += 2)
    std::swap(block[offset], block[offset + 1]);
}

// The field's bytes at the start of an 80-byte zero-filled buffer, all 80 converted, then the
// blanks, control characters and zeros at both ends removed; those inside escaped.
std::u16string FieldText(const IdentifyBlock& block, const TextField& field, std::uint32_t codePage) {
  std::array<std::uint8_t, TextBufferBytes> buffer{};
  for (std::size_t i = 0; i < field.byteCount; ++i) buffer[i] = block[2 * field.firstWord + i];
  return ShownDeviceText(Trim(AnsiToText(buffer, codePage)));
}

std::uint64_t WordsValue(std::span<const std::uint8_t> data, std::size_t firstWord, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = (value << 16) | Word(data, firstWord + i);
  return value;
}

// The highest Ultra DMA mode n (0-6) whose bit firstBit+n is set in word 88; 0 when none is.
std::uint8_t HighestUltraDmaMode(std::uint16_t word88, unsigned firstBit) {
  std::uint8_t mode = 0;
  for (unsigned n = 0; n <= 6; ++n)
    if (Bit(word88, firstBit + n)) mode = static_cast<std::uint8_t>(n);
  return mode;
}

// LBA-48 counts as used only when its count is greater than the 28-bit one: a drive that fills both
// with the same number gains nothing from 48-bit commands. A count beyond what a byte capacity in 64
// bits can hold (more than 2^63-1 bytes) cannot come from a real drive and is not taken.
void DecodeAddressing(std::span<const std::uint8_t> data, T_IDE_PASSPORT& passport) {
  if (!Bit(Word(data, 49), 9)) return;
  passport.lba28support = true;
  passport.lba28sectors = static_cast<std::int64_t>(WordsValue(data, 60, 2));
  const std::uint64_t count48 = WordsValue(data, 100, 4);
  constexpr std::uint64_t largestCount = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) / 512;
  if (Bit(Word(data, 83), 10) && count48 > static_cast<std::uint64_t>(passport.lba28sectors) &&
      count48 <= largestCount) {
    passport.lba48support = true;
    passport.lba48sectors = static_cast<std::int64_t>(count48);
  }
}

void DecodeFeatures(std::span<const std::uint8_t> data, T_IDE_PASSPORT& passport) {
  const std::uint16_t word82 = Word(data, 82);
  passport.readmultiplesectors = static_cast<std::uint8_t>(Word(data, 47) & 0xFF);
  passport.securitysupport = Bit(word82, 1);
  passport.locked = passport.securitysupport && Bit(Word(data, 128), 2);
  passport.lockedmax = passport.securitysupport && Bit(Word(data, 128), 8);
  passport.hpasupport = Bit(word82, 10);
  passport.smartsupport = Bit(word82, 0);
  passport.smartenabled = passport.smartsupport && Bit(Word(data, 85), 0);
  passport.aamsupport = Bit(Word(data, 83), 9);
  passport.dmasupport = Bit(Word(data, 49), 8) && Bit(Word(data, 53), 2);
  if (passport.dmasupport) {
    passport.dmamodesupport = HighestUltraDmaMode(Word(data, 88), 0);
    passport.dmamodeselected = HighestUltraDmaMode(Word(data, 88), 8);
  }
  passport.buffersize = static_cast<std::uint32_t>(Word(data, 21)) * 512u;
  passport.sectorsize = 512;
  // The whole word, not only the depth bits 4-0.
  passport.QueueDepth = Word(data, 75);
  passport.QueueSupported = passport.QueueDepth != 0;
  passport.StreamingSupported = Bit(Word(data, 84), 4);
}

}  // namespace

T_IDE_PASSPORT DecodeIdentifyData(std::span<const std::uint8_t, 512> data, std::uint32_t ansiCodePage) {
  IdentifyBlock block;
  std::copy(data.begin(), data.end(), block.begin());
  for (const TextField& field : {SerialField, FirmwareField, ModelField}) SwapWordBytes(block, field);

  T_IDE_PASSPORT passport;
  passport.sn = FieldText(block, SerialField, ansiCodePage);
  passport.fw = FieldText(block, FirmwareField, ansiCodePage);
  passport.name = FieldText(block, ModelField, ansiCodePage);
  DecodeAddressing(data, passport);
  passport.lbasectors = passport.lba48support ? passport.lba48sectors : passport.lba28sectors;
  DecodeFeatures(data, passport);
  return passport;
}

}  // namespace trelvane
