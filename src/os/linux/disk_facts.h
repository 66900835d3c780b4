#pragma once
// What sysfs (and, for ATA disks, IDENTIFY DEVICE) says about the disk behind a handle: the facts
// the property, SMART and inquiry replies are made of.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "os/linux/device_family.h"
#include "os/linux/replies.h"
#include "os/linux/sysfs.h"

namespace trelvane::linux_platform {

struct DiskFacts {
  DeviceFamily family = DeviceFamily::Unknown;
  AdapterFacts adapter;
  DeviceFacts device;
  std::optional<ScsiAddress> scsiAddress;
};

DiskFacts ReadDiskFacts(const BlockDevice& device);

// Only libata disks carry ATA commands; NVMe, virtio, mmc and loop devices have no ATA path.
inline bool HasAtaPath(const DiskFacts& facts) { return facts.family == DeviceFamily::Ata; }

// The IDE device map of SMART_GET_VERSION: 0x01, or 0x02 for a PATA slave, which libata exposes as
// SCSI target 1 (H:0:1:0). IDENTIFY cannot tell a slave: word 93 reads the same on both.
std::uint8_t IdeDeviceMap(const DiskFacts& facts);

using IdentifyBlock = std::array<std::uint8_t, 512>;

// IDENTIFY DEVICE data: the kernel's cached copy in the ATA Information VPD page (89h) when it has
// one, else a command through SG_IO on `fd`.
std::optional<IdentifyBlock> ReadIdentifyData(const BlockDevice& device, int fd);

// The identity strings of STORAGE_DEVICE_DESCRIPTOR, by the device's family.
DeviceStrings ReadDeviceStrings(const BlockDevice& device, const DiskFacts& facts, int fd);

// The standard INQUIRY data of a SCSI device (sysfs "inquiry"), if the kernel keeps it.
std::optional<std::vector<std::uint8_t>> ReadInquiryData(const BlockDevice& device);

}  // namespace trelvane::linux_platform
