#pragma once
// The exclusive claim of a whole disk that a drive handle makes before its first write.
//
// The drive handle itself is only O_RDWR with an advisory flock, which nothing else has to respect:
// a partition mounted through another name, in another mount namespace, or a program holding the
// disk O_EXCL would all go on using the disk under the zero fill. The kernel refuses an O_EXCL open
// of a whole disk while the disk or any of its partitions is claimed (a mount claims it), and once
// granted the claim keeps the partitions from being mounted. The program's own volume locks are
// such claims too, so the whole-disk claim takes their place: each lock then holds a duplicate of
// the claim, which lasts until the drive and every lock have let it go. Other names of the same
// storage (storage_names.h) are claimed beside the disk, and one in use refuses the claim with 32.

#include <cstdint>
#include <optional>

#include "backends/linux/errno_map.h"
#include "backends/linux/handle_table.h"

namespace trelvane::linux_platform {

// Claims the disk of `drive` (a no-op once claimed). 0, or 32 when the disk is in use elsewhere (held
// O_EXCL, or open in another process: those processes are then in drive.otherOpeners), or the error
// of the open.
std::uint32_t ClaimWholeDisk(HandleTable& handles, OpenDevice& drive);

// Lets the drive's own share of the claim go: the run has ended.
void ReleaseClaim(OpenDevice& drive);

// What a failed write (or read-back) on a claimed drive tells about the disk: gone (no sysfs entry or
// node, a device that is not running, or a size of 0), or no longer the size it was claimed at.
ErrnoFacts WriteFailureFacts(const OpenDevice& drive, int error);

// The facts of a disk whose size is now `sizeBytes` (nullopt: it cannot be read).
ErrnoFacts SizeFacts(std::uint64_t claimedSizeBytes, std::optional<std::uint64_t> sizeBytes);

}  // namespace trelvane::linux_platform
