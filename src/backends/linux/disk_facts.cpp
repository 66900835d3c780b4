#include "backends/linux/disk_facts.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "backends/linux/identity.h"
#include "os/ata_registers.h"
#include "backends/linux/sg_io.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::size_t VpdPage89IdentifyOffset = 60;

std::uint64_t AttributeNumber(const std::string& path) {
  const auto text = ReadAttribute(path);
  return text ? std::strtoull(text->c_str(), nullptr, 10) : 0;
}

std::uint32_t Clamp32(std::uint64_t value) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

std::string AttributeOrEmpty(const std::string& path) { return ReadAttribute(path).value_or(std::string()); }

std::vector<std::uint8_t> AttributeBytes(const std::string& path) {
  const auto text = ReadWholeFile(path);
  return text ? std::vector<std::uint8_t>(text->begin(), text->end()) : std::vector<std::uint8_t>();
}

std::uint8_t BusTypeOf(DeviceFamily family, const SysfsBlockNode& device) {
  std::string sataSpeed;
  if (const auto port = AtaPortNumber(device.diskSysfsDir))
    sataSpeed = TrimBlanks(AttributeOrEmpty("/sys/class/ata_link/link" + std::to_string(*port) + "/sata_spd"));
  const std::string mmcType = TrimBlanks(AttributeOrEmpty(device.diskSysfsDir + "/device/type"));
  return BusTypeCode(family, sataSpeed, mmcType);
}

// Vendor, model and revision as the SCSI INQUIRY gave them (padded), serial from VPD page 80h.
DeviceStrings ScsiStrings(const std::string& deviceDir) {
  DeviceStrings strings;
  strings.vendor = AttributeOrEmpty(deviceDir + "/vendor");
  strings.product = AttributeOrEmpty(deviceDir + "/model");
  strings.revision = AttributeOrEmpty(deviceDir + "/rev");
  strings.serial = SerialFromVpdPage80(AttributeBytes(deviceDir + "/vpd_pg80"));
  return strings;
}

DeviceStrings NamedStrings(const std::string& deviceDir, const char* product, const char* revision,
                           const std::string& serialPath) {
  DeviceStrings strings;
  strings.product = TrimBlanks(AttributeOrEmpty(deviceDir + "/" + product));
  strings.revision = TrimBlanks(AttributeOrEmpty(deviceDir + "/" + revision));
  strings.serial = TrimBlanks(AttributeOrEmpty(serialPath));
  return strings;
}

}  // namespace

DiskFacts ReadDiskFacts(const SysfsBlockNode& device) {
  DiskFacts facts;
  facts.family = ClassifySysfsPath(device.diskSysfsDir);
  const std::string queue = device.diskSysfsDir + "/queue/";
  facts.maxTransferBytes = Clamp32(AttributeNumber(queue + "max_sectors_kb") * 1024);
  facts.busType = BusTypeOf(facts.family, device);
  facts.removable = AttributeNumber(device.diskSysfsDir + "/removable") != 0;
  return facts;
}

std::optional<IdentifyBlock> ReadIdentifyData(const SysfsBlockNode& device, int fd) {
  IdentifyBlock identify{};
  const std::vector<std::uint8_t> page = AttributeBytes(device.diskSysfsDir + "/device/vpd_pg89");
  if (page.size() >= VpdPage89IdentifyOffset + identify.size()) {
    std::copy_n(page.begin() + VpdPage89IdentifyOffset, identify.size(), identify.begin());
    return identify;
  }
  AtaCommand command;
  command.count = 1;
  command.lba = 1;
  command.device = 0xA0;
  command.command = AtaOpcode::IdentifyDevice;
  command.direction = AtaDirection::In;
  AtaResult result;
  if (fd >= 0 && RunAtaCommand(fd, command, identify, result)) return identify;
  return std::nullopt;
}

DeviceStrings ReadDeviceStrings(const SysfsBlockNode& device, const DiskFacts& facts, int fd) {
  const std::string deviceDir = device.diskSysfsDir + "/device";
  switch (facts.family) {
    case DeviceFamily::Ata:
      // sysfs says "ATA" and cuts the model to 16 characters; IDENTIFY has the whole texts.
      if (const auto identify = ReadIdentifyData(device, fd)) return AtaIdentityStrings(*identify);
      return ScsiStrings(deviceDir);
    case DeviceFamily::Nvme:
      return NamedStrings(deviceDir, "model", "firmware_rev", deviceDir + "/serial");
    case DeviceFamily::Mmc:
      return NamedStrings(deviceDir, "name", "fwrev", deviceDir + "/serial");
    case DeviceFamily::VirtioBlock:
      // Its device/vendor is a PCI id, not a name; only the serial means something.
      return DeviceStrings{{}, {}, {}, TrimBlanks(AttributeOrEmpty(device.diskSysfsDir + "/serial"))};
    case DeviceFamily::Loop:
    case DeviceFamily::RamDisk:
      return {};
    default:
      return ScsiStrings(deviceDir);
  }
}

bool KeepsInquiryData(const SysfsBlockNode& device) {
  return AttributeBytes(device.diskSysfsDir + "/device/inquiry").size() >= 36;
}

}  // namespace trelvane::linux_platform
