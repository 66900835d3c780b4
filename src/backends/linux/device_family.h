#pragma once
// What kind of block device a sysfs path describes, and the platform's bus type code for it
// (STORAGE_BUS_TYPE). Pure functions of the path that /sys/dev/block/M:m resolves to.

#include <cstdint>
#include <optional>
#include <string_view>

#include "backends/linux/replies.h"

namespace trelvane::linux_platform {

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
