#include "backends/linux/folder_place.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "backends/linux/logical_drives.h"
#include "backends/linux/sysfs.h"

namespace trelvane::linux_platform {

namespace {

// Loop over a file on a device-mapper device over a partition is three steps; more is a loop.
constexpr int MaximumDepth = 8;

// The block device of the file system holding `path`. btrfs and the like give their files an
// anonymous st_dev (major 0): the mount with that number names the device in its source field.
std::optional<dev_t> FileSystemDevice(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  if (DescribeBlockDevice(info.st_dev)) return info.st_dev;
  for (const MountEntry& mount : ReadMounts())
    if (makedev(mount.major, mount.minor) == info.st_dev)
      if (const auto device = MountedDevice(mount)) return device;
  return std::nullopt;
}

bool DeviceOnDisk(dev_t rdev, dev_t diskRdev, int depth) {
  if (rdev == diskRdev) return true;
  const auto device = DescribeBlockDevice(rdev);
  if (!device || depth >= MaximumDepth) return false;
  if (device->isPartition && device->diskRdev == diskRdev) return true;
  for (const std::string& slave : ListDirectory(device->sysfsDir + "/slaves")) {
    const auto dev = ReadAttribute("/sys/class/block/" + slave + "/dev");
    if (const auto slaveRdev = dev ? ParseDevAttribute(*dev) : std::nullopt)
      if (DeviceOnDisk(*slaveRdev, diskRdev, depth + 1)) return true;
  }
  if (const auto backing = ReadAttribute(device->sysfsDir + "/loop/backing_file"))
    if (const auto below = FileSystemDevice(*backing)) return DeviceOnDisk(*below, diskRdev, depth + 1);
  return false;
}

}  // namespace

std::optional<bool> FolderOnDisk(const std::string& folder, dev_t diskRdev) {
  const auto device = FileSystemDevice(folder);
  if (!device) return std::nullopt;
  return DeviceOnDisk(*device, diskRdev, 0);
}

}  // namespace trelvane::linux_platform
