#pragma once
// Putting back the mounts a volume lock took off line, when the lock goes and nothing was written to
// the disk: a format that was refused leaves every file system as it found it.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "os/linux/mountinfo.h"

namespace trelvane::linux_platform {

struct MountRequest {
  unsigned long flags = 0;  // MS_RDONLY, MS_NOSUID ... from the mount's own options
  std::string data;         // the file system's options, without "rw" and "ro"
};

// The mount(2) arguments that give a mount its options back.
MountRequest MountRequestFor(const MountEntry& mount);

// Mounts `unmounted` again, last unmounted first (parents before what was mounted inside them). A
// bind mount is bound again from a mount of the same device made earlier in the list. Returns the
// mount points that could not be mounted.
std::vector<std::string> MountAgain(const std::vector<MountEntry>& unmounted);

}  // namespace trelvane::linux_platform
