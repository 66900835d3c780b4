#pragma once
// Taking a volume off line for FSCTL_LOCK_VOLUME: unmount every mount of the device, deepest first
// (never detached, never forced), then hold the device open with O_EXCL so that nothing mounts it
// again until the handle is closed. A volume in use gives 5, as the platform answers a lock of a
// volume with open files, and whatever the failed lock had unmounted is mounted again. A volume whose
// storage is in use through another name (storage_names.h) is refused before anything is unmounted.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backends/linux/file_descriptor.h"
#include "backends/linux/mountinfo.h"
#include "backends/linux/remount.h"

namespace trelvane::linux_platform {

struct ResolvedMount {
  MountEntry mount;
  std::optional<dev_t> device;  // the block device it lives on
};

enum class UnmountStep { Done, Unmount, Covered };

struct UnmountChoice {
  UnmountStep step = UnmountStep::Done;
  std::string mountPoint;
  MountEntry mount;  // the whole entry, so that it can be mounted again
};

// The next mount of `rdev` to unmount: the deepest one that nothing else is mounted on top of.
// Covered when every remaining mount of the device lies under a mount of another device at the same
// place: unmounting by path would then remove that other mount.
UnmountChoice ChooseNextUnmount(const std::vector<ResolvedMount>& mounts, dev_t rdev);

struct LockOutcome {
  FileDescriptor heldFd;  // open when the volume is locked
  std::uint32_t error = 0;
  std::vector<MountEntry> unmounted;  // in the order they were unmounted
  std::vector<UnrestoredMountPoint> unrestored;  // what a failed lock could not mount back
};

LockOutcome LockVolume(dev_t rdev, const std::string& nodePath);

}  // namespace trelvane::linux_platform
