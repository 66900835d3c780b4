#pragma once
// Putting back the mounts a volume lock took off line, when the lock goes and nothing was written to
// the disk: a format that was refused leaves every file system as it found it.
//
// Mounts go back through util-linux's libmount, as mount(8) would make them: a FUSE volume (ntfs-3g,
// exfat-fuse) through its mount helper, a volume mounted through udisks with the user-space options
// that mount(8) records for it. A bind mount of a folder comes back from a mount of its file system
// that is still in place (the file system's own mount may be busy and still there), or, when the
// file system has no mount left in this namespace (its own mount lives in another one or was gone),
// from a short-lived mount of the file system in a private folder.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backends/linux/mountinfo.h"

namespace trelvane::linux_platform {

// The options a file system is mounted again with: the mount's own ("rw,nosuid,relatime"), the file
// system's without "rw" and "ro", then the user-space ones ("uhelper=udisks2"). A FUSE block mount
// keeps only its own and the user-space ones: its file-system options describe the FUSE connection,
// which the helper makes anew.
std::string MountOptionsFor(const MountEntry& mount);

// The type to ask for: none for a FUSE block mount ("fuseblk"), whose real type is then read from
// the device so that mount(8)'s helper for it runs; else the type mountinfo shows.
std::optional<std::string> MountTypeFor(const MountEntry& mount);

// Where the folder `root` of a file system is seen through `from`, a mount of that file system:
// from.mountPoint plus the part of `root` below from.root; nothing when from.root does not contain it.
std::optional<std::string> PathInside(const MountEntry& from, const std::string& root);

// The user-space options mount(8) recorded for mount `mountId` (empty when none).
std::string UserOptionsOf(std::uint32_t mountId);

struct UnrestoredMountPoint {
  std::string mountPoint;
  std::uint32_t error = 0;  // the platform's code
};

// Mounts `unmounted` again, last unmounted first (parents before what was mounted inside them).
// Returns the mounts that could not be restored.
std::vector<UnrestoredMountPoint> MountAgain(const std::vector<MountEntry>& unmounted);

// The mounts of volumes given back one after another. The volumes of a disk are locked deepest
// mount first and given back in that order, so a mount inside a file system of a volume that comes
// back later finds no mount point yet: it waits, and is tried again after each later volume.
class PendingRemounts {
 public:
  // Mounts `unmounted` again, then whatever waits; returns what failed for another reason than a
  // missing mount point.
  std::vector<UnrestoredMountPoint> Restore(const std::vector<MountEntry>& unmounted);
  // A last try of what still waits; what fails then is unrestored.
  std::vector<UnrestoredMountPoint> Finish();

 private:
  std::vector<MountEntry> waiting_;
};

}  // namespace trelvane::linux_platform
