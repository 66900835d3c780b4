#include "backends/linux/disk_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace trelvane::linux_platform {

namespace {

constexpr std::size_t Alignment = 4096;
constexpr std::size_t MaxBounceBytes = 32u << 20;

bool IsAligned(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer) % Alignment == 0; }

WriteOutcome WriteFrom(int fd, const std::uint8_t* bytes, std::size_t size, std::int64_t offset) {
  WriteOutcome outcome;
  while (outcome.written < size) {
    const std::size_t left = size - outcome.written;
    const ssize_t done = pwrite(fd, bytes + outcome.written, left, static_cast<off_t>(offset) +
                                                                       static_cast<off_t>(outcome.written));
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) {
      outcome.error = errno;
      return outcome;
    }
    if (done == 0) {
      outcome.error = ENOSPC;
      return outcome;
    }
    outcome.written += static_cast<std::uint64_t>(done);
  }
  return outcome;
}

}  // namespace

AlignedBuffer::~AlignedBuffer() { std::free(data_); }

bool AlignedBuffer::Reserve(std::size_t bytes) {
  if (bytes <= capacity_) return true;
  const std::size_t rounded = (bytes + Alignment - 1) / Alignment * Alignment;
  void* memory = nullptr;
  if (posix_memalign(&memory, Alignment, rounded) != 0) return false;
  std::free(data_);
  data_ = static_cast<std::uint8_t*>(memory);
  capacity_ = rounded;
  return true;
}

WriteOutcome WriteAllAt(int fd, std::span<const std::uint8_t> data, std::int64_t offset, AlignedBuffer& bounce) {
  if (IsAligned(data.data())) return WriteFrom(fd, data.data(), data.size(), offset);
  if (!bounce.Reserve(std::min(data.size(), MaxBounceBytes))) return WriteOutcome{0, ENOMEM};
  WriteOutcome total;
  while (total.written < data.size()) {
    const std::size_t chunk = std::min<std::size_t>(data.size() - total.written, bounce.capacity());
    std::memcpy(bounce.data(), data.data() + total.written, chunk);
    const WriteOutcome part =
        WriteFrom(fd, bounce.data(), chunk, offset + static_cast<std::int64_t>(total.written));
    total.written += part.written;
    if (part.error != 0) {
      total.error = part.error;
      break;
    }
  }
  return total;
}

}  // namespace trelvane::linux_platform
