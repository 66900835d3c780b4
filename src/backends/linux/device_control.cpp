#include "backends/linux/requests.h"

#include <array>
#include <vector>

#include "backends/driver_model/access_rights.h"

namespace trelvane::linux_platform {

namespace {

struct Request {
  std::uint32_t code;
  RequestHandler handler;
};

constexpr std::array<Request, 11> Requests{{
    {Ioctl::DiskGetDriveGeometry, GetDriveGeometry},
    {Ioctl::DiskGetLengthInfo, GetLengthInfo},
    {Ioctl::StorageQueryProperty, QueryProperty},
    {Ioctl::StorageGetDeviceNumber, GetDeviceNumber},
    {Ioctl::ScsiGetInquiryData, ScsiGetInquiryData},
    {Ioctl::FsctlLockVolume, LockVolumeRequest},
    // The lock already unmounted the volume; extended I/O has no meaning on a block device.
    {Ioctl::FsctlDismountVolume, NothingToDo},
    {Ioctl::FsctlAllowExtendedDasdIo, NothingToDo},
    {Ioctl::FsctlUnlockVolume, UnlockVolumeRequest},
    {Ioctl::DiskUpdateProperties, UpdateProperties},
    {Ioctl::DiskIsWritable, IsWritable},
}};

}  // namespace

DeviceReply DeviceControl(BackendState& state, OpenDevice& device, std::uint32_t code,
                       std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  for (const Request& request : Requests) {
    if (request.code != code) continue;
    if (!RequestAccessAllowed(code, device.access)) return DeviceReply::Failure(ErrorCode::AccessDenied);
    // The caller may pass one buffer as input and output; handlers read their own copy.
    const std::vector<std::uint8_t> input(in.begin(), in.end());
    return request.handler(state, device, input, out);
  }
  return DeviceReply::Failure(ErrorCode::InvalidFunction);
}

}  // namespace trelvane::linux_platform
