#include "backends/linux/logical_drives.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>

#include "backends/linux/sysfs.h"

namespace trelvane::linux_platform {

namespace {

std::optional<dev_t> BlockNodeDevice(const std::string& path) {
  if (path.empty() || path[0] != '/') return std::nullopt;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return std::nullopt;
  return info.st_rdev;
}

void AddVolume(std::vector<InUseVolume>& volumes, dev_t rdev, std::size_t depth) {
  for (InUseVolume& volume : volumes) {
    if (volume.rdev != rdev) continue;
    volume.deepestMount = std::max(volume.deepestMount, depth);
    return;
  }
  const auto device = DescribeBlockDevice(rdev);
  if (device) volumes.push_back({rdev, device->name, depth});
}

// Block devices with something in holders/ (a partition under LVM, md or dm-crypt).
void AddHeldDevices(std::vector<InUseVolume>& volumes) {
  for (const std::string& name : ListDirectory("/sys/class/block")) {
    const std::string dir = "/sys/class/block/" + name;
    if (ListDirectory(dir + "/holders").empty()) continue;
    const auto dev = ReadAttribute(dir + "/dev");
    if (const auto rdev = dev ? ParseDevAttribute(*dev) : std::nullopt) AddVolume(volumes, *rdev, 0);
  }
}

}  // namespace

std::vector<MountEntry> ReadMounts() {
  const auto text = ReadWholeFile("/proc/self/mountinfo");
  return text ? ParseMountInfo(*text) : std::vector<MountEntry>();
}

std::optional<dev_t> MountedDevice(const MountEntry& mount) {
  if (const auto node = BlockNodeDevice(mount.source)) return node;
  // Field 3 is an anonymous 0:N for btrfs, tmpfs and the like; a real device has a sysfs entry.
  if (mount.major == 0) return std::nullopt;
  const dev_t rdev = makedev(mount.major, mount.minor);
  if (!DescribeBlockDevice(rdev)) return std::nullopt;
  return rdev;
}

std::vector<InUseVolume> FindInUseVolumes() {
  std::vector<InUseVolume> volumes;
  for (const MountEntry& mount : ReadMounts())
    if (const auto rdev = MountedDevice(mount)) AddVolume(volumes, *rdev, PathDepth(mount.mountPoint));
  if (const auto swaps = ReadWholeFile("/proc/swaps"))
    for (const std::string& name : ParseSwaps(*swaps))
      if (const auto rdev = BlockNodeDevice(name)) AddVolume(volumes, *rdev, 0);
  AddHeldDevices(volumes);
  OrderForLocking(volumes);
  return volumes;
}

void OrderForLocking(std::vector<InUseVolume>& volumes) {
  std::stable_sort(volumes.begin(), volumes.end(), [](const InUseVolume& a, const InUseVolume& b) {
    if (a.deepestMount != b.deepestMount) return a.deepestMount > b.deepestMount;
    return a.name < b.name;
  });
}

std::uint32_t WriteDriveStrings(const std::vector<std::string>& names, std::span<char16_t> buffer) {
  std::size_t needed = 1;
  for (const std::string& name : names) needed += name.size() + 2;  // name, "\", zero
  if (needed > buffer.size()) return static_cast<std::uint32_t>(needed);
  std::size_t at = 0;
  for (const std::string& name : names) {
    for (char c : name) buffer[at++] = static_cast<char16_t>(static_cast<unsigned char>(c));
    buffer[at++] = u'\\';
    buffer[at++] = 0;
  }
  buffer[at] = 0;
  return static_cast<std::uint32_t>(at);
}

}  // namespace trelvane::linux_platform
