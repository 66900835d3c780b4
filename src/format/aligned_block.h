#pragma once
// A block of memory aligned for unbuffered device I/O, so a backend can hand it to the device as it is.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace trelvane {

inline constexpr std::size_t BlockAlignment = 4096;

struct AlignedDeleter {
  void operator()(std::uint8_t* bytes) const { ::operator delete(bytes, std::align_val_t{BlockAlignment}); }
};
using AlignedBlock = std::unique_ptr<std::uint8_t, AlignedDeleter>;

// `bytes` zeros. Aligned operator new rather than aligned_alloc, which not every C runtime has.
inline AlignedBlock AllocateZeroBlock(std::size_t bytes) {
  AlignedBlock block(static_cast<std::uint8_t*>(::operator new(bytes, std::align_val_t{BlockAlignment})));
  std::memset(block.get(), 0, bytes);
  return block;
}

}  // namespace trelvane
