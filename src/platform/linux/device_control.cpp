#include "platform/linux/requests.h"

#include <array>
#include <vector>

namespace trelvane::linux_platform {

namespace {

constexpr std::uint32_t FileReadAccess = 1;
constexpr std::uint32_t FileWriteAccess = 2;
constexpr std::uint32_t GenericAll = 0x10000000u;

struct Request {
  std::uint32_t code;
  RequestHandler handler;
};

constexpr std::array<Request, 13> Requests{{
    {Ioctl::DiskGetDriveGeometry, GetDriveGeometry},
    {Ioctl::DiskGetLengthInfo, GetLengthInfo},
    {Ioctl::StorageQueryProperty, QueryProperty},
    {Ioctl::StorageGetDeviceNumber, GetDeviceNumber},
    {Ioctl::SmartGetVersion, SmartGetVersion},
    {Ioctl::ScsiGetInquiryData, ScsiGetInquiryData},
    {Ioctl::SmartRcvDriveData, SmartReceiveData},
    {Ioctl::SmartSendDriveCommand, SmartSendCommand},
    {Ioctl::ScsiMiniport, ScsiMiniport},
    {Ioctl::FsctlLockVolume, LockVolumeRequest},
    // The lock already unmounted the volume; extended I/O has no meaning on a block device.
    {Ioctl::FsctlDismountVolume, NothingToDo},
    {Ioctl::FsctlAllowExtendedDasdIo, NothingToDo},
    {Ioctl::DiskUpdateProperties, UpdateProperties},
}};

}  // namespace

bool HandleAllows(std::uint32_t desiredAccess, std::uint32_t code) {
  const std::uint32_t needed = (code >> 14) & 3;
  const bool canRead = (desiredAccess & (Access::GenericRead | GenericAll)) != 0;
  const bool canWrite = (desiredAccess & (Access::GenericWrite | GenericAll)) != 0;
  if ((needed & FileReadAccess) != 0 && !canRead) return false;
  if ((needed & FileWriteAccess) != 0 && !canWrite) return false;
  return true;
}

IoResult DeviceControl(BackendState& state, OpenDevice& device, std::uint32_t code,
                       std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  for (const Request& request : Requests) {
    if (request.code != code) continue;
    if (!HandleAllows(device.access, code)) return IoResult::Failure(ErrorCode::AccessDenied);
    // The caller may pass one buffer as input and output; handlers read their own copy.
    const std::vector<std::uint8_t> input(in.begin(), in.end());
    return request.handler(state, device, input, out);
  }
  return IoResult::Failure(ErrorCode::InvalidFunction);
}

}  // namespace trelvane::linux_platform
