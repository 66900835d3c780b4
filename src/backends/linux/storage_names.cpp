#include "backends/linux/storage_names.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "backends/linux/file_descriptor.h"
#include "backends/linux/logical_drives.h"
#include "backends/linux/sysfs.h"

namespace trelvane::linux_platform {

namespace {

// Designator prefixes of world-wide names, as sysfs writes them (SCSI device/wwid, NVMe wwid).
constexpr std::array<std::string_view, 4> WorldWidePrefixes{"naa.", "eui.", "uuid.", "nguid."};

std::string Lowercase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// LOOP_GET_STATUS64 names the backing file by device and inode even when its path is gone or lies in
// another mount namespace, where stat() of the sysfs backing_file path would fail or mislead.
std::optional<std::string> LoopKey(const std::string& kernelName) {
  const FileDescriptor fd = OpenFile("/dev/" + kernelName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  loop_info64 info{};
  if (!fd.IsOpen() || ioctl(fd.Get(), LOOP_GET_STATUS64, &info) != 0) return std::nullopt;
  return "loop:" + std::to_string(info.lo_device) + ":" + std::to_string(info.lo_inode);
}

std::optional<std::string> WorldWideKey(const std::string& kernelName) {
  const std::string dir = "/sys/block/" + kernelName;
  for (const std::string& path : {dir + "/wwid", dir + "/device/wwid"})
    if (const auto text = ReadAttribute(path))
      if (const auto name = WorldWideName(*text)) return "wwn:" + *name;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> WorldWideName(std::string_view wwid) {
  const std::string name = Lowercase(wwid.substr(0, wwid.find_last_not_of(" \t\n") + 1));
  const auto prefix = std::find_if(WorldWidePrefixes.begin(), WorldWidePrefixes.end(),
                                   [&](std::string_view p) { return name.rfind(p, 0) == 0; });
  if (prefix == WorldWidePrefixes.end()) return std::nullopt;
  const std::string_view digits = std::string_view(name).substr(prefix->size());
  if (digits.find_first_not_of("0123456789abcdef-") != std::string_view::npos) return std::nullopt;
  if (digits.find_first_not_of("0-") == std::string_view::npos) return std::nullopt;
  return name;
}

std::optional<std::string> StorageKeyOf(const std::string& kernelName) {
  if (kernelName.rfind("loop", 0) == 0) return LoopKey(kernelName);
  return WorldWideKey(kernelName);
}

std::vector<StorageName> OtherNamesOf(dev_t diskRdev) {
  std::vector<StorageName> names;
  const auto disk = DescribeBlockDevice(diskRdev);
  if (!disk || disk->isPartition) return names;
  const auto key = StorageKeyOf(disk->name);
  if (!key) return names;
  const bool loop = key->rfind("loop:", 0) == 0;
  for (const std::string& name : ListDirectory("/sys/block")) {
    // A loop device's key is only ever shared with another loop device, a WWN only with a disk.
    if (name == disk->name || (name.rfind("loop", 0) == 0) != loop) continue;
    if (StorageKeyOf(name) != key) continue;
    const auto dev = ReadAttribute("/sys/block/" + name + "/dev");
    if (const auto rdev = dev ? ParseDevAttribute(*dev) : std::nullopt) names.push_back({name, *rdev});
  }
  return names;
}

bool AnyInUse(const std::vector<StorageName>& names) {
  if (names.empty()) return false;
  for (const InUseVolume& volume : FindInUseVolumes()) {
    const auto device = DescribeBlockDevice(volume.rdev);
    if (!device) continue;
    for (const StorageName& name : names)
      if (device->diskRdev == name.rdev) return true;
  }
  return false;
}

std::string FirstNameInList(const DriveList& drives, std::uint32_t number) {
  const DriveEntry* entry = drives.Find(number);
  if (entry == nullptr || !entry->rdev) return {};
  std::optional<std::uint32_t> first;
  std::string name;
  for (const StorageName& other : OtherNamesOf(*entry->rdev)) {
    const auto otherNumber = drives.NumberOf(other.rdev);
    if (!otherNumber || *otherNumber >= number || (first && *first < *otherNumber)) continue;
    first = otherNumber;
    name = other.kernelName;
  }
  return name;
}

std::optional<std::vector<FileDescriptor>> ClaimOtherNames(dev_t diskRdev) {
  const std::vector<StorageName> names = OtherNamesOf(diskRdev);
  if (AnyInUse(names)) return std::nullopt;
  std::vector<FileDescriptor> claims;
  for (const StorageName& name : names) {
    FileDescriptor claim = OpenFile("/dev/" + name.kernelName, O_RDONLY | O_EXCL | O_CLOEXEC);
    struct stat info {};
    // A node that names another device by now is no claim of this storage.
    if (!claim.IsOpen() || fstat(claim.Get(), &info) != 0 || info.st_rdev != name.rdev) return std::nullopt;
    claims.push_back(std::move(claim));
  }
  return claims;
}

}  // namespace trelvane::linux_platform
