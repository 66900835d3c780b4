#pragma once
// Other names of the same storage: two loop devices over one backing file, or one disk reached
// through two ports (a dual-ported SAS disk, two paths without a multipath layer). Writing through
// one name destroys a file system mounted through the other, so the whole-disk claim, the volume
// lock and the drive list treat every name as part of the disk.
//
// Identity is decided only by a loop device's backing file (its device and inode numbers) and by a
// world-wide name of the disk (NAA, EUI-64, NGUID or UUID designators, never all zeros).
// Designators made of vendor, model and serial number (SCSI "t10.", NVMe "nvme.") do not count:
// cheap USB bridges repeat serial numbers.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backends/linux/drive_list.h"
#include "backends/linux/file_descriptor.h"

namespace trelvane::linux_platform {

// "naa.5000C500A1B2C3D4\n" -> "naa.5000c500a1b2c3d4"; nothing for designators that are not
// world-wide names or whose digits are all zero.
std::optional<std::string> WorldWideName(std::string_view wwid);

// What names one storage: "loop:<device>:<inode>" of a loop device's backing file, or "wwn:<name>".
// Nothing for a device without such an identity (an unbound loop device, a disk without a WWN).
std::optional<std::string> StorageKeyOf(const std::string& kernelName);

struct StorageName {
  std::string kernelName;  // "loop4", "sdc"
  dev_t rdev = 0;
};

// The other whole disks of /sys/block with the same storage key as the disk `diskRdev`, in name
// order; empty when it has no key or no other name.
std::vector<StorageName> OtherNamesOf(dev_t diskRdev);

// Whether a partition of one of these disks, or the disk itself, is mounted, used as swap or held
// by another block device: the in-use facts of the program's logical drives, for other names.
bool AnyInUse(const std::vector<StorageName>& names);

// The kernel name of the first drive of `drives` that is the same storage as drive `number`, when
// that one comes earlier in the list: `number` is then a second name. Empty otherwise.
std::string FirstNameInList(const DriveList& drives, std::uint32_t number);

// The O_EXCL claims of every other name of the disk's storage, taken beside the disk's own claim so
// that nothing mounts or claims the storage through them during the run. Nothing when one of them is
// in use (AnyInUse: a FUSE file system holds no claim) or refuses the claim.
std::optional<std::vector<FileDescriptor>> ClaimOtherNames(dev_t diskRdev);

}  // namespace trelvane::linux_platform
