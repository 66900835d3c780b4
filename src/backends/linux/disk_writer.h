#pragma once
// Writes to a disk opened with O_DIRECT: no page cache, so every failing write reports its own error
// at its own offset (a buffered write would fail only at the next fsync, without an offset).
// O_DIRECT wants the memory aligned; a caller's buffer that is not 4096-aligned is copied through an
// aligned bounce buffer first.

#include <cstddef>
#include <cstdint>
#include <span>

namespace trelvane::linux_platform {

class AlignedBuffer {
 public:
  AlignedBuffer() = default;
  ~AlignedBuffer();
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;

  // Grows to at least `bytes` (never shrinks); false when memory is short.
  bool Reserve(std::size_t bytes);
  std::uint8_t* data() { return data_; }
  std::size_t capacity() const { return capacity_; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t capacity_ = 0;
};

struct WriteOutcome {
  std::uint64_t written = 0;
  int error = 0;  // errno of the write that failed, 0 when everything was written
};

// Writes all of `data` at `offset`, continuing after short writes; a write that makes no progress
// counts as ENOSPC (the end of the device).
WriteOutcome WriteAllAt(int fd, std::span<const std::uint8_t> data, std::int64_t offset, AlignedBuffer& bounce);

}  // namespace trelvane::linux_platform
