// Geometry, length, storage properties and device number.

#include <linux/fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

#include "os/bytes.h"
#include "os/linux/disk_facts.h"
#include "os/linux/identity.h"
#include "os/linux/requests.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::uint32_t PropertyStandardQuery = 0;
constexpr std::uint32_t PropertyExistsQuery = 1;
constexpr std::size_t DescriptorHeaderBytes = 8;  // STORAGE_DESCRIPTOR_HEADER: Version, Size
constexpr int MaxStackDepth = 8;                  // dm over md over partitions ...

IoResult ErrnoFailure(const OpenDevice& device, int error) {
  return IoResult::Failure(ErrorFromErrno(error, GatherErrnoFacts(device.fd.Get(), device.rdev, error)));
}

// A descriptor reply may be cut to the caller's buffer; its Size field still tells the whole size.
IoResult CopyDescriptor(std::span<const std::uint8_t> reply, std::span<std::uint8_t> out) {
  if (out.size() < DescriptorHeaderBytes) return IoResult::Failure(ErrorCode::InsufficientBuffer);
  const std::size_t count = std::min(out.size(), reply.size());
  std::copy_n(reply.begin(), count, out.begin());
  return IoResult::Success(static_cast<std::uint32_t>(count));
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

IoResult GetDriveGeometry(BackendState&, OpenDevice& device, std::span<const std::uint8_t>,
                          std::span<std::uint8_t> out) {
  int sectorSize = 0;
  std::uint64_t length = 0;
  if (ioctl(device.fd.Get(), BLKSSZGET, &sectorSize) != 0) return ErrnoFailure(device, errno);
  if (ioctl(device.fd.Get(), BLKGETSIZE64, &length) != 0) return ErrnoFailure(device, errno);
  const auto described = DescribeBlockDevice(device.rdev);
  const bool removable = described && ReadAttribute(described->diskSysfsDir + "/removable") == "1";
  return CopyReply(GeometryReply(static_cast<std::uint32_t>(sectorSize), length, removable), out);
}

IoResult GetLengthInfo(BackendState&, OpenDevice& device, std::span<const std::uint8_t>,
                       std::span<std::uint8_t> out) {
  std::uint64_t length = 0;
  if (ioctl(device.fd.Get(), BLKGETSIZE64, &length) != 0) return ErrnoFailure(device, errno);
  return CopyReply(LengthReply(length), out);
}

// STORAGE_PROPERTY_QUERY: PropertyId 0 (0 device, 1 adapter) | QueryType 4 (0 standard, 1 exists).
IoResult QueryProperty(BackendState&, OpenDevice& device, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out) {
  if (in.size() < 8) return IoResult::Failure(ErrorCode::InvalidParameter);
  const std::uint32_t property = ReadU32LE(in, 0);
  const std::uint32_t queryType = ReadU32LE(in, 4);
  if (property != StorageProperty::Device && property != StorageProperty::Adapter)
    return IoResult::Failure(ErrorCode::NotSupported);
  if (queryType == PropertyExistsQuery) return IoResult::Success();
  if (queryType != PropertyStandardQuery) return IoResult::Failure(ErrorCode::InvalidParameter);

  const auto described = DescribeBlockDevice(device.rdev);
  if (!described) return IoResult::Failure(ErrorCode::DevNotExist);
  const DiskFacts facts = ReadDiskFacts(*described);
  if (property == StorageProperty::Adapter) return CopyDescriptor(AdapterDescriptorReply(facts.adapter), out);
  const DeviceStrings strings = ReadDeviceStrings(*described, facts, device.fd.Get());
  return CopyDescriptor(DeviceDescriptorReply(strings, facts.device), out);
}

// {7, the drive number of its disk, its partition number (0 for a whole disk)}. A device on a disk
// outside the drive list has no drive number and fails, so it can never be taken for a listed drive.
IoResult GetDeviceNumber(BackendState& state, OpenDevice& device, std::span<const std::uint8_t>,
                         std::span<std::uint8_t> out) {
  const auto described = DescribeBlockDevice(device.rdev);
  if (!described) return IoResult::Failure(ErrorCode::DevNotExist);
  const auto underlying = UnderlyingDevice(*described);
  if (!underlying) return IoResult::Failure(ErrorCode::InvalidFunction);
  const auto number = state.Drives().NumberOf(underlying->diskRdev);
  if (!number) return IoResult::Failure(ErrorCode::InvalidFunction);
  const std::uint32_t partition = underlying->isPartition ? underlying->partitionNumber : 0;
  return CopyReply(DeviceNumberReply(FileDeviceDisk, *number, partition), out);
}

}  // namespace trelvane::linux_platform
