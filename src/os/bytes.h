#pragma once
// Little-endian reads and writes at the offsets the wire formats document.

#include <cstddef>
#include <cstdint>
#include <span>

namespace trelvane {

inline std::uint16_t ReadU16LE(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t ReadU32LE(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

inline std::uint64_t ReadU64LE(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint64_t>(ReadU32LE(bytes, offset)) |
         (static_cast<std::uint64_t>(ReadU32LE(bytes, offset + 4)) << 32);
}

inline void WriteU16LE(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void WriteU32LE(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void WriteU64LE(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value) {
  for (std::size_t i = 0; i < 8; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Word N of a block of 16-bit little-endian words (IDENTIFY DEVICE data): bytes 2N and 2N+1.
inline std::uint16_t Word(std::span<const std::uint8_t> words, std::size_t index) {
  return ReadU16LE(words, 2 * index);
}

inline bool Bit(std::uint32_t value, unsigned bit) { return ((value >> bit) & 1u) != 0; }

}  // namespace trelvane
