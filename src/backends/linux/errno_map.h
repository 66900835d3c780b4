#pragma once
// How a Linux errno becomes one of the platform's error codes.
//
// The same errno can mean two things (an unplugged disk reports EIO like a bad sector; a write to a
// read-only disk reports EPERM like a refused open), so the caller supplies what it found out about
// the device when the errno alone is ambiguous.

#include <cstdint>

namespace trelvane::linux_platform {

// What the caller knows about the device when a call failed.
struct ErrnoFacts {
  bool deviceGone = false;  // its /sys/dev/block entry vanished, or its SCSI state is not "running"
  bool readOnly = false;    // BLKROGET said 1
  bool sizeChanged = false; // a disk being written is no longer the size it had when it was claimed
};

std::uint32_t ErrorFromErrno(int error, const ErrnoFacts& facts = {});

}  // namespace trelvane::linux_platform
