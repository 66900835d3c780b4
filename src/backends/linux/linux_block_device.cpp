#include "backends/linux/linux_block_device.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>

#include "backends/driver_model/access_rights.h"
#include "backends/linux/disk_facts.h"
#include "backends/linux/errno_map.h"
#include "os/win_constants.h"

namespace trelvane::linux_platform {

namespace {

constexpr QueryStatus Done{true, 0};

QueryStatus Failed(std::uint32_t error) { return {false, error}; }

QueryStatus ErrnoFailure(const OpenDevice& device, int error) {
  return Failed(ErrorFromErrno(error, GatherErrnoFacts(device.fd.Get(), device.rdev, error)));
}

// One character per byte; a zero byte ends the text, except in a serial (where it can only be the
// partner of an odd final byte).
std::u16string Bytes16(const std::string& text, bool serial = false) {
  std::u16string wide;
  for (const char c : text) {
    if (c == '\0' && !serial) break;
    wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  return wide;
}

}  // namespace

QueryStatus LinuxBlockDevice::SectorSize(std::uint32_t& bytes) {
  bytes = 0;
  const OpenDevice* device = state_.handles.Find(drive_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  int sectorSize = 0;
  std::uint64_t length = 0;
  if (ioctl(device->fd.Get(), BLKSSZGET, &sectorSize) != 0) return ErrnoFailure(*device, errno);
  if (ioctl(device->fd.Get(), BLKGETSIZE64, &length) != 0) return ErrnoFailure(*device, errno);
  bytes = static_cast<std::uint32_t>(sectorSize);
  return Done;
}

QueryStatus LinuxBlockDevice::Length(std::uint64_t& bytes) {
  bytes = 0;
  const OpenDevice* device = state_.handles.Find(drive_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  if (!GrantsRead(device->access)) return Failed(ErrorCode::AccessDenied);
  if (ioctl(device->fd.Get(), BLKGETSIZE64, &bytes) != 0) return ErrnoFailure(*device, errno);
  return Done;
}

QueryStatus LinuxBlockDevice::Adapter(AdapterInfo& adapter) {
  const OpenDevice* device = state_.handles.Find(drive_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  const auto described = DescribeBlockDevice(device->rdev);
  if (!described) return Failed(ErrorCode::DevNotExist);
  const DiskFacts facts = ReadDiskFacts(*described);
  adapter.busType = facts.busType;
  adapter.maxTransferBytes = facts.maxTransferBytes;
  return Done;
}

QueryStatus LinuxBlockDevice::Identity(std::uint8_t, DriveIdentity& identity) {
  const OpenDevice* device = state_.handles.Find(drive_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  const auto described = DescribeBlockDevice(device->rdev);
  if (!described) return Failed(ErrorCode::DevNotExist);
  const DiskFacts facts = ReadDiskFacts(*described);
  const DeviceStrings strings = ReadDeviceStrings(*described, facts, device->fd.Get());
  identity.vendor = Bytes16(strings.vendor);
  identity.product = Bytes16(strings.product);
  identity.revision = Bytes16(strings.revision);
  identity.serial = Bytes16(strings.serial, true);
  identity.removable = facts.removable;
  return Done;
}

bool LinuxBlockDevice::IdeSlave() {
  const OpenDevice* device = state_.handles.Find(drive_);
  if (device == nullptr) return false;
  const auto described = DescribeBlockDevice(device->rdev);
  if (!described) return false;
  // Only a device the kernel keeps SCSI inquiry data for has a place on a channel.
  const auto address = ScsiAddressFromPath(described->diskSysfsDir);
  return address && KeepsInquiryData(*described) && (address->target & 1) != 0;
}

// A partition answers for itself (BLKROGET also sees a read-only disk under it).
QueryStatus LinuxBlockDevice::Writable() {
  const OpenDevice* device = state_.handles.Find(drive_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  int readOnly = 0;
  if (ioctl(device->fd.Get(), BLKROGET, &readOnly) != 0) return ErrnoFailure(*device, errno);
  return readOnly != 0 ? Failed(ErrorCode::WriteProtect) : Done;
}

}  // namespace trelvane::linux_platform
