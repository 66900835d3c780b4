#include "backends/linux/device_family.h"

#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace trelvane::linux_platform {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// True when `path` holds `prefix` directly followed by one or more digits and then `suffix`.
bool HasNumberedComponent(std::string_view path, std::string_view prefix, std::string_view suffix) {
  for (std::size_t at = path.find(prefix); at != std::string_view::npos; at = path.find(prefix, at + 1)) {
    std::size_t end = at + prefix.size();
    const std::size_t digits = end;
    while (end < path.size() && IsDigit(path[end])) ++end;
    if (end > digits && path.substr(end, suffix.size()) == suffix) return true;
  }
  return false;
}

bool Contains(std::string_view path, std::string_view part) { return path.find(part) != std::string_view::npos; }

struct FamilyRule {
  bool (*matches)(std::string_view path);
  DeviceFamily family;
};

// First match wins: a USB bridge's path also holds "/hostN/target", an NVMe path no "/ataN/".
constexpr std::array<FamilyRule, 11> FamilyRules{{
    {[](std::string_view p) { return Contains(p, "/usb"); }, DeviceFamily::Usb},
    {[](std::string_view p) { return HasNumberedComponent(p, "/ata", "/"); }, DeviceFamily::Ata},
    {[](std::string_view p) { return Contains(p, "/end_device-") || Contains(p, "/expander-"); },
     DeviceFamily::Sas},
    {[](std::string_view p) { return Contains(p, "/rport-"); }, DeviceFamily::Fibre},
    {[](std::string_view p) { return HasNumberedComponent(p, "/session", "/"); }, DeviceFamily::Iscsi},
    {[](std::string_view p) { return Contains(p, "/nvme/") || Contains(p, "/nvme-subsystem/"); },
     DeviceFamily::Nvme},
    {[](std::string_view p) { return Contains(p, "/mmcblk"); }, DeviceFamily::Mmc},
    {[](std::string_view p) { return HasNumberedComponent(p, "/virtio", "/block/"); },
     DeviceFamily::VirtioBlock},
    {[](std::string_view p) { return Contains(p, "/virtual/block/loop"); }, DeviceFamily::Loop},
    {[](std::string_view p) { return Contains(p, "/virtual/block/zram") || Contains(p, "/virtual/block/ram"); },
     DeviceFamily::RamDisk},
    {[](std::string_view p) { return HasNumberedComponent(p, "/host", "/target"); }, DeviceFamily::Scsi},
}};

// STORAGE_BUS_TYPE values.
constexpr std::uint8_t BusScsi = 1;
constexpr std::uint8_t BusAta = 3;
constexpr std::uint8_t BusFibre = 6;
constexpr std::uint8_t BusUsb = 7;
constexpr std::uint8_t BusIscsi = 9;
constexpr std::uint8_t BusSas = 10;
constexpr std::uint8_t BusSata = 11;
constexpr std::uint8_t BusSd = 12;
constexpr std::uint8_t BusMmc = 13;
constexpr std::uint8_t BusVirtual = 14;
constexpr std::uint8_t BusFileBackedVirtual = 15;
constexpr std::uint8_t BusNvme = 17;

// Families whose code needs no further facts. Windows' viostor registers virtio-blk as SCSI.
constexpr std::array<std::pair<DeviceFamily, std::uint8_t>, 9> FixedBusTypes{{
    {DeviceFamily::Usb, BusUsb},
    {DeviceFamily::Sas, BusSas},
    {DeviceFamily::Fibre, BusFibre},
    {DeviceFamily::Iscsi, BusIscsi},
    {DeviceFamily::Nvme, BusNvme},
    {DeviceFamily::VirtioBlock, BusScsi},
    {DeviceFamily::Loop, BusFileBackedVirtual},
    {DeviceFamily::RamDisk, BusVirtual},
    {DeviceFamily::Scsi, BusScsi},
}};

std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find('/', start);
    const std::size_t end = slash == std::string_view::npos ? path.size() : slash;
    if (end > start) parts.push_back(path.substr(start, end - start));
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  return parts;
}

// "6:0:1:0" -> {6, 0, 1, 0}; nullopt for anything else.
std::optional<ScsiAddress> ParseScsiAddress(std::string_view text) {
  std::array<std::uint32_t, 4> numbers{};
  std::size_t field = 0;
  bool digitSeen = false;
  for (char c : text) {
    if (IsDigit(c)) {
      numbers[field] = numbers[field] * 10 + static_cast<std::uint32_t>(c - '0');
      digitSeen = true;
    } else if (c == ':' && digitSeen && field < 3) {
      ++field;
      digitSeen = false;
    } else {
      return std::nullopt;
    }
  }
  if (field != 3 || !digitSeen) return std::nullopt;
  return ScsiAddress{numbers[0], numbers[1], numbers[2], numbers[3]};
}

}  // namespace

DeviceFamily ClassifySysfsPath(std::string_view realPath) {
  for (const FamilyRule& rule : FamilyRules)
    if (rule.matches(realPath)) return rule.family;
  return DeviceFamily::Unknown;
}

std::optional<unsigned> AtaPortNumber(std::string_view realPath) {
  for (std::string_view part : Components(realPath)) {
    if (part.size() <= 3 || part.substr(0, 3) != "ata") continue;
    unsigned number = 0;
    bool allDigits = true;
    for (char c : part.substr(3)) {
      if (!IsDigit(c)) allDigits = false;
      else number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (allDigits) return number;
  }
  return std::nullopt;
}

std::optional<ScsiAddress> ScsiAddressFromPath(std::string_view realPath) {
  std::optional<ScsiAddress> last;
  for (std::string_view part : Components(realPath))
    if (auto address = ParseScsiAddress(part)) last = address;
  return last;
}

std::uint8_t BusTypeCode(DeviceFamily family, std::string_view sataSpeed, std::string_view mmcType) {
  if (family == DeviceFamily::Ata)
    return sataSpeed.empty() || sataSpeed == "<unknown>" ? BusAta : BusSata;
  if (family == DeviceFamily::Mmc) return mmcType == "MMC" ? BusMmc : BusSd;
  for (const auto& [known, code] : FixedBusTypes)
    if (known == family) return code;
  return 0;
}

}  // namespace trelvane::linux_platform
