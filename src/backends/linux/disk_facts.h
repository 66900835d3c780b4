#pragma once
// What sysfs (and, for ATA disks, IDENTIFY DEVICE) says about the disk behind a handle: the facts
// the property and inquiry replies are made of.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "backends/linux/device_family.h"
#include "backends/linux/replies.h"
#include "backends/linux/sysfs.h"

namespace trelvane::linux_platform {

struct DiskFacts {
  DeviceFamily family = DeviceFamily::Unknown;
  AdapterFacts adapter;
  DeviceFacts device;
  std::optional<ScsiAddress> scsiAddress;
};

DiskFacts ReadDiskFacts(const BlockDevice& device);

using IdentifyBlock = std::array<std::uint8_t, 512>;

// IDENTIFY DEVICE data: the kernel's cached copy in the ATA Information VPD page (89h) when it has
// one, else a command through SG_IO on `fd`.
std::optional<IdentifyBlock> ReadIdentifyData(const BlockDevice& device, int fd);

// The identity strings of STORAGE_DEVICE_DESCRIPTOR, by the device's family.
DeviceStrings ReadDeviceStrings(const BlockDevice& device, const DiskFacts& facts, int fd);

// The standard INQUIRY data of a SCSI device (sysfs "inquiry"), if the kernel keeps it.
std::optional<std::vector<std::uint8_t>> ReadInquiryData(const BlockDevice& device);

}  // namespace trelvane::linux_platform
