#pragma once
// IDENTIFY and SMART data blocks given inline in the machine file, laid over a block read from a file
// or over zeros.
//
// identify_words: an object from word index ("0" to "255") to either an integer (the word's value)
//   or a string (ATA text starting at that word: two characters a word, the first in the high byte,
//   an odd length padded with one blank), e.g. {"0": 64, "27": "DEMO DISK 500", "83": 17408}.
// smart_attributes: an array of at most 30 records {"id", "flags", "current", "worst", "raw"} laid out
//   from byte 2, 12 bytes each (id, flags as a little-endian word, current, worst, a 6-byte raw value
//   least significant byte first, a reserved zero); the rest of the 30-record table is cleared and
//   byte 511 is set so that the 512 bytes add up to 0, as drives checksum the block.

#include <cstdint>
#include <span>
#include <string_view>

#include "backends/emulated/machine.h"

namespace trelvane::emulated {

void SetIdentifyWord(Block& block, std::size_t word, std::uint16_t value);
// false (and nothing written) when the text runs past word 255.
bool SetIdentifyText(Block& block, std::size_t firstWord, std::string_view bytes);

struct SmartAttribute {
  std::uint8_t id = 0;
  std::uint16_t flags = 0;
  std::uint8_t current = 100;
  std::uint8_t worst = 100;
  std::uint64_t raw = 0;  // 48 bits
};

inline constexpr std::size_t SmartAttributeSlots = 30;

void LaySmartAttributes(Block& block, std::span<const SmartAttribute> attributes);

}  // namespace trelvane::emulated
