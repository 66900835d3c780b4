#pragma once
// What kind of block device a sysfs path describes, and the bus type code the program
// knows it by. Pure functions of the path that /sys/dev/block/M:m resolves to.

#include <cstdint>
#include <optional>
#include <string_view>


namespace trelvane::linux_platform {

// Where a logical unit sits: adapter (host), bus (channel), target and logical unit.
struct ScsiAddress {
  std::uint32_t host = 0;
  std::uint32_t channel = 0;
  std::uint32_t target = 0;
  std::uint32_t lun = 0;
};

enum class DeviceFamily {
  Unknown,
  Ata,          // libata (SATA or PATA), behind the SCSI layer as sdX
  Usb,          // usb-storage, UAS and bridges
  Sas,
  Fibre,
  Iscsi,
  Nvme,
  Mmc,
  VirtioBlock,  // virtio-blk (vdX)
  Loop,
  RamDisk,      // zram, ram
  Scsi,         // any other SCSI host (virtio-scsi included)
};

DeviceFamily ClassifySysfsPath(std::string_view realPath);

// N of the "/ataN/" component (libata port), if any.
std::optional<unsigned> AtaPortNumber(std::string_view realPath);

// The SCSI address of the last "H:C:T:L" component, if any.
std::optional<ScsiAddress> ScsiAddressFromPath(std::string_view realPath);

// The bus type code. `sataSpeed` is the ATA link's sata_spd text ("1.5 Gbps", "<unknown>" for PATA);
// `mmcType` is the card's device/type ("SD" or "MMC").
std::uint8_t BusTypeCode(DeviceFamily family, std::string_view sataSpeed, std::string_view mmcType);

}  // namespace trelvane::linux_platform
