#include "backends/linux/drive_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "backends/linux/identity.h"
#include "backends/linux/sysfs.h"

namespace trelvane::linux_platform {

namespace {

// SCSI peripheral device types (device/type) of drives that hold data blocks: direct access (0),
// optical memory (7, some magneto-optical and USB drives), simplified direct access (14). A CD or DVD
// drive (5) and the rest are not drives to erase.
constexpr std::array<std::string_view, 3> ScsiDiskTypes{"0", "7", "14"};

bool AttributeIs(const std::string& path, std::string_view value) {
  const auto text = ReadAttribute(path);
  return text && TrimBlanks(*text) == value;
}

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

std::vector<DriveEntry> EntriesFromSysBlock() { return ListSysBlockDrives("/sys/block"); }

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

std::optional<std::string> WhyNotADrive(const std::string& sysBlock, const std::string& name) {
  const std::string dir = sysBlock + "/" + name;
  if (!RealPath(dir + "/device")) return "no device behind it (loop, ram, zram, device-mapper, md, nbd)";
  if (const auto type = ReadAttribute(dir + "/device/type")) {
    const std::string scsiType = TrimBlanks(*type);
    const bool numeric = !scsiType.empty() && std::all_of(scsiType.begin(), scsiType.end(), [](char c) {
      return c >= '0' && c <= '9';
    });
    // MMC and SD cards name their kind here in words ("MMC", "SD"); only SCSI gives a number.
    if (numeric && std::find(ScsiDiskTypes.begin(), ScsiDiskTypes.end(), scsiType) == ScsiDiskTypes.end())
      return "SCSI device type " + scsiType + " (optical or other, not a disk)";
  }
  if (RealPath(dir + "/force_ro")) return "an eMMC boot area";
  if (AttributeIs(dir + "/ro", "1")) return "read-only";
  if (AttributeIs(dir + "/removable", "1") && AttributeIs(dir + "/size", "0")) return "removable, no medium";
  return std::nullopt;
}

std::vector<DriveEntry> ListSysBlockDrives(const std::string& sysBlock) {
  const std::vector<std::string> names = ListDirectory(sysBlock);
  // An area of another drive's device (the eMMC replay-protected area, in kernels that make it a block
  // device): the same device behind it, and a name that goes on from that drive's with a word.
  const auto areaOfAnother = [&](const std::string& name) {
    const auto device = RealPath(sysBlock + "/" + name + "/device");
    return std::any_of(names.begin(), names.end(), [&](const std::string& other) {
      return other.size() < name.size() && name.starts_with(other) && std::isalpha(static_cast<unsigned char>(name[other.size()])) &&
             RealPath(sysBlock + "/" + other + "/device") == device;
    });
  };
  std::vector<DriveEntry> entries;
  for (const std::string& name : names) {
    if (WhyNotADrive(sysBlock, name) || areaOfAnother(name)) continue;
    std::string node = "/dev/" + name;
    std::replace(node.begin(), node.end(), '!', '/');
    const auto dev = ReadAttribute(sysBlock + "/" + name + "/dev");
    entries.push_back({node, dev ? ParseDevAttribute(*dev) : std::nullopt});
  }
  return entries;
}

}  // namespace trelvane::linux_platform
