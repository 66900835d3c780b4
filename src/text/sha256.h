#pragma once
// SHA-256 (FIPS 180-4), for the digest that lets a changed copy of an erasure report be told.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trelvane {

class Sha256 {
 public:
  Sha256();
  void Update(std::span<const std::uint8_t> bytes);
  void Update(std::string_view text);
  // The digest of everything given; the object is spent afterwards.
  std::array<std::uint8_t, 32> Finish();

 private:
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> block_{};
  std::size_t blockLength_ = 0;
  std::uint64_t totalBytes_ = 0;
};

// The digest of `text` in 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::string_view text);

}  // namespace trelvane
