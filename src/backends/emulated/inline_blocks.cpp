#include "backends/emulated/inline_blocks.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "os/bytes.h"

namespace trelvane::emulated {

namespace {

constexpr std::size_t SmartTableStart = 2;
constexpr std::size_t SmartRecordSize = 12;

}  // namespace

void SetIdentifyWord(Block& block, std::size_t word, std::uint16_t value) { WriteU16LE(block, 2 * word, value); }

bool SetIdentifyText(Block& block, std::size_t firstWord, std::string_view bytes) {
  std::string padded(bytes);
  if (padded.size() % 2 != 0) padded.push_back(' ');
  if (firstWord * 2 + padded.size() > block.size()) return false;
  for (std::size_t i = 0; i < padded.size(); i += 2) {
    const auto high = static_cast<std::uint8_t>(padded[i]);
    const auto low = static_cast<std::uint8_t>(padded[i + 1]);
    SetIdentifyWord(block, firstWord + i / 2, static_cast<std::uint16_t>(high << 8 | low));
  }
  return true;
}

void LaySmartAttributes(Block& block, std::span<const SmartAttribute> attributes) {
  const auto tableBegin = block.begin() + SmartTableStart;
  std::fill(tableBegin, tableBegin + SmartAttributeSlots * SmartRecordSize, std::uint8_t{0});
  std::size_t offset = SmartTableStart;
  for (const SmartAttribute& attribute : attributes) {
    block[offset] = attribute.id;
    WriteU16LE(block, offset + 1, attribute.flags);
    block[offset + 3] = attribute.current;
    block[offset + 4] = attribute.worst;
    for (std::size_t i = 0; i < 6; ++i) block[offset + 5 + i] = static_cast<std::uint8_t>(attribute.raw >> (8 * i));
    offset += SmartRecordSize;
  }
  const unsigned sum = std::accumulate(block.begin(), block.end() - 1, 0u);
  block[511] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

}  // namespace trelvane::emulated
