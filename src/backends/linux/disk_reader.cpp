#include "backends/linux/disk_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace trelvane::linux_platform {

namespace {

constexpr std::size_t Alignment = 4096;
constexpr std::size_t MaxBounceBytes = 32u << 20;

ReadOutcome ReadInto(int fd, std::uint8_t* bytes, std::size_t size, std::int64_t offset) {
  ReadOutcome outcome;
  while (outcome.read < size) {
    const ssize_t done =
        pread(fd, bytes + outcome.read, size - outcome.read, static_cast<off_t>(offset) + static_cast<off_t>(outcome.read));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      outcome.error = done < 0 ? errno : ENOSPC;
      return outcome;
    }
    outcome.read += static_cast<std::uint64_t>(done);
  }
  return outcome;
}

}  // namespace

ReadOutcome ReadAllAt(int fd, std::span<std::uint8_t> buffer, std::int64_t offset, AlignedBuffer& bounce) {
  if (reinterpret_cast<std::uintptr_t>(buffer.data()) % Alignment == 0)
    return ReadInto(fd, buffer.data(), buffer.size(), offset);
  if (!bounce.Reserve(std::min(buffer.size(), MaxBounceBytes))) return ReadOutcome{0, ENOMEM};
  ReadOutcome total;
  while (total.read < buffer.size()) {
    const std::size_t chunk = std::min<std::size_t>(buffer.size() - total.read, bounce.capacity());
    const ReadOutcome part = ReadInto(fd, bounce.data(), chunk, offset + static_cast<std::int64_t>(total.read));
    std::memcpy(buffer.data() + total.read, bounce.data(), part.read);
    total.read += part.read;
    if (part.error != 0) {
      total.error = part.error;
      break;
    }
  }
  return total;
}

}  // namespace trelvane::linux_platform
