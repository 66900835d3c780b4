#pragma once
// The physical drives: "\\.\PhysicalDriveN" is entry N of this list.
//
// By default the list holds the drives of /sys/block in name order, judged by what sysfs says of each
// (WhyNotADrive), not by its name. The variable
// TRELVANE_DRIVES=/dev/loop3,/dev/loop4 replaces it: tests and demos list their own loop devices,
// and a cautious user lists only the disks they mean. Only whole disks are taken from it: a
// partition, a second name of a device already listed, or something that is not a block device is
// left out with a warning on standard error, since writing through it would go around the checks
// that keep a disk in use from being written.

#include <sys/types.h>

#include <cstdint>
#include <functional>
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

// What the variable's entries are, as far as choosing them needs.
struct NodeFacts {
  bool blockDevice = false;
  dev_t rdev = 0;
  bool partition = false;
};

struct DriveChoice {
  std::vector<DriveEntry> entries;
  std::vector<std::string> warnings;  // one line per entry left out, naming it and why
};

// The whole disks among `paths`, in order, each device once.
DriveChoice ChooseDrives(const std::vector<std::string>& paths,
                         const std::function<NodeFacts(const std::string&)>& inspect);

// "/dev/loop3, /dev/loop4" -> the two paths (blanks around entries and empty entries dropped).
std::vector<std::string> ParseDriveVariable(std::string_view value);

// Why the entry `name` of a /sys/block folder is not a drive to erase, or nothing when it is one:
// nothing behind it (loop, ram, zram, device-mapper, md, nbd have no "device"), a SCSI device type
// other than a disk (a CD or DVD drive), an eMMC boot area ("force_ro"), read-only ("ro"), or a
// removable drive without a medium (size 0: an empty card reader, a floppy drive).
std::optional<std::string> WhyNotADrive(const std::string& sysBlock, const std::string& name);

// The drives of a /sys/block folder, in name order; eMMC replay-protected areas left out too.
std::vector<DriveEntry> ListSysBlockDrives(const std::string& sysBlock);

}  // namespace trelvane::linux_platform
