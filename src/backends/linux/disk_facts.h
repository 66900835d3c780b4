#pragma once
// What sysfs (and, for ATA disks, IDENTIFY DEVICE) says about the disk behind a handle: its bus,
// largest transfer, removability and identity texts.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "backends/linux/device_family.h"
#include "backends/linux/identity.h"
#include "backends/linux/sysfs.h"

namespace trelvane::linux_platform {

struct DiskFacts {
  DeviceFamily family = DeviceFamily::Unknown;
  std::uint8_t busType = 0;
  std::uint32_t maxTransferBytes = 0;
  bool removable = false;
};

DiskFacts ReadDiskFacts(const SysfsBlockNode& device);

using IdentifyBlock = std::array<std::uint8_t, 512>;

// IDENTIFY DEVICE data: the kernel's cached copy in the ATA Information VPD page (89h) when it has
// one, else a command through SG_IO on `fd`.
std::optional<IdentifyBlock> ReadIdentifyData(const SysfsBlockNode& device, int fd);

// The identity texts, by the device's family.
DeviceStrings ReadDeviceStrings(const SysfsBlockNode& device, const DiskFacts& facts, int fd);

// Whether the kernel keeps the standard INQUIRY data (36 bytes) of a SCSI device (sysfs "inquiry").
bool KeepsInquiryData(const SysfsBlockNode& device);

}  // namespace trelvane::linux_platform
