#pragma once
// The physical drives: "\\.\PhysicalDriveN" is entry N of this list.
//
// By default the list holds the whole disks of /sys/block (entries with a "device" link) in name
// order, leaving out loop, zram, ram, device-mapper, md, floppy and optical devices. The variable
// TRELVANE_DRIVES=/dev/loop3,/dev/loop4 replaces it: tests and demos list their own loop devices,
// and a cautious user lists only the disks they mean.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvane::linux_platform {

struct DriveEntry {
  std::string nodePath;       // "/dev/sdb"
  std::optional<dev_t> rdev;  // none when the node did not exist when the list was made
};

class DriveList {
 public:
  // Reads TRELVANE_DRIVES, or scans /sys/block when it is unset or empty.
  static DriveList FromSystem();
  explicit DriveList(std::vector<DriveEntry> entries) : entries_(std::move(entries)) {}

  const DriveEntry* Find(std::uint32_t number) const;
  // The number of the drive whose whole disk is `diskRdev`.
  std::optional<std::uint32_t> NumberOf(dev_t diskRdev) const;
  std::size_t size() const { return entries_.size(); }

 private:
  std::vector<DriveEntry> entries_;
};

// "/dev/loop3, /dev/loop4" -> the two paths (blanks around entries and empty entries dropped).
std::vector<std::string> ParseDriveVariable(std::string_view value);

// Whether a /sys/block entry of this kernel name may be a physical drive.
bool IsDriveName(std::string_view kernelName);

}  // namespace trelvane::linux_platform
