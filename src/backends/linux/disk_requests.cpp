// Geometry, length, storage properties, device number and SCSI inquiry data.

#include <linux/fs.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "os/bytes.h"
#include "backends/linux/disk_facts.h"
#include "backends/linux/identity.h"
#include "backends/linux/requests.h"

namespace trelvane::linux_platform {

namespace {

constexpr int MaxStackDepth = 8;                  // dm over md over partitions ...

DeviceReply ErrnoFailure(const OpenDevice& device, int error) {
  return DeviceReply::Failure(ErrorFromErrno(error, GatherErrnoFacts(device.fd.Get(), device.rdev, error)));
}

DeviceReply Descriptor(std::span<const std::uint8_t> reply, std::span<std::uint8_t> out) {
  return CopyDescriptor(reply, static_cast<std::uint32_t>(reply.size()), out);
}

// The block device under a device-mapper or md device: its first slave, followed down.
std::optional<BlockDevice> UnderlyingDevice(BlockDevice device) {
  for (int depth = 0; depth < MaxStackDepth; ++depth) {
    const std::vector<std::string> slaves = ListDirectory(device.sysfsDir + "/slaves");
    if (slaves.empty()) return device;
    const auto dev = ReadAttribute("/sys/class/block/" + slaves.front() + "/dev");
    const auto rdev = dev ? ParseDevAttribute(*dev) : std::nullopt;
    const auto slave = rdev ? DescribeBlockDevice(*rdev) : std::nullopt;
    if (!slave) return std::nullopt;
    device = *slave;
  }
  return std::nullopt;
}

}  // namespace

DeviceReply GetDriveGeometry(BackendState&, OpenDevice& device, std::span<const std::uint8_t>,
                          std::span<std::uint8_t> out) {
  int sectorSize = 0;
  std::uint64_t length = 0;
  if (ioctl(device.fd.Get(), BLKSSZGET, &sectorSize) != 0) return ErrnoFailure(device, errno);
  if (ioctl(device.fd.Get(), BLKGETSIZE64, &length) != 0) return ErrnoFailure(device, errno);
  const auto described = DescribeBlockDevice(device.rdev);
  const bool removable = described && ReadAttribute(described->diskSysfsDir + "/removable") == "1";
  return CopyReply(GeometryReply(static_cast<std::uint32_t>(sectorSize), length, removable), out);
}

DeviceReply GetLengthInfo(BackendState&, OpenDevice& device, std::span<const std::uint8_t>,
                       std::span<std::uint8_t> out) {
  std::uint64_t length = 0;
  if (ioctl(device.fd.Get(), BLKGETSIZE64, &length) != 0) return ErrnoFailure(device, errno);
  return CopyReply(LengthReply(length), out);
}

DeviceReply QueryProperty(BackendState&, OpenDevice& device, std::span<const std::uint8_t> in,
                          std::span<std::uint8_t> out) {
  const auto read = ReadPropertyQuery(in);
  if (const auto* refused = std::get_if<DeviceReply>(&read)) return *refused;
  const PropertyQuery query = std::get<PropertyQuery>(read);
  if (query.existsOnly) return DeviceReply::Success();
  // NVMe commands reach this backend as themselves (System::NvmeDeviceOf), never as the
  // protocol-specific property.
  if (query.protocol) return DeviceReply::Failure(ErrorCode::NotSupported);
  const auto described = DescribeBlockDevice(device.rdev);
  if (!described) return DeviceReply::Failure(ErrorCode::DevNotExist);
  const DiskFacts facts = ReadDiskFacts(*described);
  if (query.property == StorageProperty::Adapter) return Descriptor(AdapterDescriptorReply(facts.adapter), out);
  const DeviceStrings strings = ReadDeviceStrings(*described, facts, device.fd.Get());
  return Descriptor(DeviceDescriptorReply(strings, facts.device), out);
}

// Fails with 19 when the kernel treats the device as read-only: `blockdev --setro`, a loop device
// attached read-only, a disk that reports write protection. A partition answers for itself (BLKROGET
// also sees a read-only disk under it).
DeviceReply IsWritable(BackendState&, OpenDevice& device, std::span<const std::uint8_t>, std::span<std::uint8_t>) {
  int readOnly = 0;
  if (ioctl(device.fd.Get(), BLKROGET, &readOnly) != 0) return ErrnoFailure(device, errno);
  return readOnly != 0 ? DeviceReply::Failure(ErrorCode::WriteProtect) : DeviceReply::Success();
}

// {7, the drive number of its disk, its partition number (0 for a whole disk)}. A device on a disk
// outside the drive list has no drive number and fails, so it can never be taken for a listed drive.
DeviceReply GetDeviceNumber(BackendState& state, OpenDevice& device, std::span<const std::uint8_t>,
                         std::span<std::uint8_t> out) {
  const auto described = DescribeBlockDevice(device.rdev);
  if (!described) return DeviceReply::Failure(ErrorCode::DevNotExist);
  const auto underlying = UnderlyingDevice(*described);
  if (!underlying) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  const auto number = state.Drives().NumberOf(underlying->diskRdev);
  if (!number) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  const std::uint32_t partition = underlying->isPartition ? underlying->partitionNumber : 0;
  return CopyReply(DeviceNumberReply(FileDeviceDisk, *number, partition), out);
}

// The SCSI address and standard inquiry data; refused with 1 where the kernel keeps neither.
DeviceReply ScsiGetInquiryData(BackendState&, OpenDevice& device, std::span<const std::uint8_t>,
                               std::span<std::uint8_t> out) {
  const auto described = DescribeBlockDevice(device.rdev);
  if (!described) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  const auto address = ScsiAddressFromPath(described->diskSysfsDir);
  const auto inquiry = ReadInquiryData(*described);
  if (!address || !inquiry) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return CopyReply(InquiryDataReply(*address, *inquiry), out);
}

}  // namespace trelvane::linux_platform
