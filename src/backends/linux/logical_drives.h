#pragma once
// The "logical drives" of a Linux machine: every block device in use, that is mounted, used as swap
// or held by another block device (LVM, md, dm-crypt). Each is named by its kernel name ("sdb1\"),
// which the program opens as "\\.\sdb1". Listing held devices too makes their locks fail instead of
// letting a format run under a volume manager.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "backends/linux/mountinfo.h"

namespace trelvane::linux_platform {

struct InUseVolume {
  dev_t rdev = 0;
  std::string name;
  std::size_t deepestMount = 0;  // path depth of its deepest mount point (0 when not mounted)
};

std::vector<MountEntry> ReadMounts();

// The block device a mount lives on: its source node when that is a block device, else the
// mount's own device number when sysfs knows it as a block device.
std::optional<dev_t> MountedDevice(const MountEntry& mount);

std::vector<InUseVolume> FindInUseVolumes();

// Deepest mounts first, so that a volume mounted inside another volume of the same disk is locked
// (unmounted) before its parent; then by name.
void OrderForLocking(std::vector<InUseVolume>& volumes);

// Writes "name\" zero-terminated strings and a final zero. Returns the length without the final zero,
// or, when the buffer is too small, the length it needs (including that zero), writing nothing.
std::uint32_t WriteDriveStrings(const std::vector<std::string>& names, std::span<char16_t> buffer);

}  // namespace trelvane::linux_platform
