#include "os/linux/drive_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "os/linux/identity.h"
#include "os/linux/sysfs.h"

namespace trelvane::linux_platform {

namespace {

// Kernel name prefixes of block devices that are never physical drives.
constexpr std::array<std::string_view, 8> ExcludedPrefixes{"loop", "zram", "ram", "dm-", "md", "sr", "fd", "nbd"};
constexpr std::string_view OpticalScsiType = "5";

std::optional<dev_t> BlockDeviceNumber(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return std::nullopt;
  return info.st_rdev;
}

std::vector<DriveEntry> EntriesFromVariable(std::string_view value) {
  std::vector<DriveEntry> entries;
  for (const std::string& path : ParseDriveVariable(value)) entries.push_back({path, BlockDeviceNumber(path)});
  return entries;
}

std::vector<DriveEntry> EntriesFromSysBlock() {
  std::vector<DriveEntry> entries;
  for (const std::string& name : ListDirectory("/sys/block")) {
    const std::string dir = "/sys/block/" + name;
    if (!IsDriveName(name) || !RealPath(dir + "/device")) continue;
    const auto type = ReadAttribute(dir + "/device/type");
    if (type && TrimBlanks(*type) == OpticalScsiType) continue;
    std::string node = "/dev/" + name;
    std::replace(node.begin(), node.end(), '!', '/');
    const auto dev = ReadAttribute(dir + "/dev");
    entries.push_back({node, dev ? ParseDevAttribute(*dev) : std::nullopt});
  }
  return entries;
}

}  // namespace

DriveList DriveList::FromSystem() {
  const char* variable = std::getenv("TRELVANE_DRIVES");
  if (variable != nullptr && *variable != '\0') return DriveList(EntriesFromVariable(variable));
  return DriveList(EntriesFromSysBlock());
}

const DriveEntry* DriveList::Find(std::uint32_t number) const {
  return number < entries_.size() ? &entries_[number] : nullptr;
}

std::optional<std::uint32_t> DriveList::NumberOf(dev_t diskRdev) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].rdev == diskRdev) return static_cast<std::uint32_t>(i);
  return std::nullopt;
}

std::vector<std::string> ParseDriveVariable(std::string_view value) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t comma = value.find(',', start);
    if (comma == std::string_view::npos) comma = value.size();
    std::string path = TrimBlanks(value.substr(start, comma - start));
    if (!path.empty()) paths.push_back(std::move(path));
    start = comma + 1;
  }
  return paths;
}

bool IsDriveName(std::string_view kernelName) {
  if (kernelName.empty()) return false;
  return std::none_of(ExcludedPrefixes.begin(), ExcludedPrefixes.end(),
                      [&](std::string_view prefix) { return kernelName.substr(0, prefix.size()) == prefix; });
}

}  // namespace trelvane::linux_platform
