#pragma once
// One read in the background on an O_DIRECT descriptor, through the kernel's native asynchronous I/O
// (io_submit): the verification checks one block while the device delivers the next, the two cores
// of a small machine each doing one of them. No thread of the program's own is involved.

#include <cstdint>
#include <span>

#include "backends/linux/disk_reader.h"

namespace trelvane::linux_platform {

class OverlappedRead {
 public:
  OverlappedRead() = default;
  ~OverlappedRead();
  OverlappedRead(const OverlappedRead&) = delete;
  OverlappedRead& operator=(const OverlappedRead&) = delete;

  // Starts reading all of `buffer` at `offset`; false when the kernel would not take the request
  // (the caller then reads at once).
  bool Start(int fd, std::span<std::uint8_t> buffer, std::int64_t offset);
  // Waits for the started read; a short read is completed at once, like ReadAllAt.
  ReadOutcome Wait(AlignedBuffer& bounce);

 private:
  unsigned long context_ = 0;  // aio_context_t; 0 until the first Start
  int fd_ = -1;
  std::span<std::uint8_t> buffer_;
  std::int64_t offset_ = 0;
};

}  // namespace trelvane::linux_platform
