#include "backends/linux/drive_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "backends/linux/identity.h"
#include "backends/linux/sysfs.h"

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

NodeFacts InspectNode(const std::string& path) {
  NodeFacts facts;
  const auto rdev = BlockDeviceNumber(path);
  if (!rdev) return facts;
  facts.blockDevice = true;
  facts.rdev = *rdev;
  const auto described = DescribeBlockDevice(*rdev);
  facts.partition = described && described->isPartition;
  return facts;
}

std::vector<DriveEntry> EntriesFromVariable(std::string_view value) {
  DriveChoice choice = ChooseDrives(ParseDriveVariable(value), InspectNode);
  for (const std::string& warning : choice.warnings) std::fprintf(stderr, "%s\n", warning.c_str());
  return std::move(choice.entries);
}

std::string LeftOut(const std::string& path, const std::string& why) {
  return "TRELVANE_DRIVES: " + path + " пропущен: " + why;
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

DriveChoice ChooseDrives(const std::vector<std::string>& paths,
                         const std::function<NodeFacts(const std::string&)>& inspect) {
  DriveChoice choice;
  for (const std::string& path : paths) {
    const NodeFacts facts = inspect(path);
    const auto same = std::find_if(choice.entries.begin(), choice.entries.end(),
                                   [&](const DriveEntry& entry) { return entry.rdev == facts.rdev; });
    if (!facts.blockDevice) {
      choice.warnings.push_back(LeftOut(path, "это не блочное устройство"));
    } else if (facts.partition) {
      choice.warnings.push_back(LeftOut(path, "это раздел, а не весь диск"));
    } else if (same != choice.entries.end()) {
      choice.warnings.push_back(LeftOut(path, "это то же устройство, что и " + same->nodePath));
    } else {
      choice.entries.push_back({path, facts.rdev});
    }
  }
  return choice;
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
