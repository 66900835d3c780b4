#include "os/emulated/device_control.h"

#include "os/bytes.h"
#include "os/emulated/ata_requests.h"
#include "os/emulated/device_replies.h"
#include "os/emulated/handle_table.h"
#include "os/win_constants.h"

namespace trelvane::emulated {

namespace {

constexpr std::uint32_t PropertyStandardQuery = 0;
constexpr std::uint32_t PropertyExistsQuery = 1;
constexpr std::size_t PropertyQuerySize = 12;
constexpr std::size_t DescriptorHeaderSize = 8;

// A fixed-size reply: refused with 122 when the output cannot hold it, as the drivers do.
Reply Fixed(std::span<std::uint8_t> out, std::span<const std::uint8_t> reply) {
  if (out.size() < reply.size()) return Reply::Refused(ErrorCode::InsufficientBuffer);
  return Reply::Done(CopyReply(out, reply));
}

Reply Refused(const RequestFault& fault) { return Reply::Refused(fault.error); }

Reply Geometry(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (drive.geometry.Refuses()) return Refused(drive.geometry);
  return Fixed(request.out, DriveGeometryReply(drive));
}

Reply Length(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (drive.length.Refuses()) return Refused(drive.length);
  return Fixed(request.out, DriveLengthReply(drive));
}

// A descriptor answer: as much as the output holds, and the descriptor's own size as the count.
Reply Descriptor(std::span<std::uint8_t> out, std::span<const std::uint8_t> reply, std::uint32_t size) {
  if (out.size() < DescriptorHeaderSize) return Reply::Refused(ErrorCode::InsufficientBuffer);
  CopyReply(out, reply);
  return Reply::Done(static_cast<std::uint32_t>(std::min<std::size_t>(size, out.size())));
}

// STORAGE_PROPERTY_QUERY: PropertyId 0, QueryType 4, AdditionalParameters 8.
Reply QueryProperty(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (request.in.size() < PropertyQuerySize) return Reply::Refused(ErrorCode::InvalidParameter);
  const std::uint32_t property = ReadU32LE(request.in, 0);
  const std::uint32_t queryType = ReadU32LE(request.in, 4);
  if (property != StorageProperty::Adapter && property != StorageProperty::Device)
    return Reply::Refused(ErrorCode::NotSupported);
  if (queryType == PropertyExistsQuery) return Reply::Done(0);
  if (queryType != PropertyStandardQuery) return Reply::Refused(ErrorCode::InvalidParameter);
  if (property == StorageProperty::Adapter) {
    if (drive.adapter.Refuses()) return Refused(drive.adapter);
    const auto reply = DriveAdapterReply(drive);
    return Descriptor(request.out, reply, static_cast<std::uint32_t>(reply.size()));
  }
  if (drive.device.Refuses()) return Refused(drive.device);
  return Descriptor(request.out, drive.deviceReply, drive.deviceReplySize);
}

Reply SmartVersion(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (!drive.smartVersionMap) return Reply::Refused(ErrorCode::InvalidFunction);
  return Fixed(request.out, DriveSmartVersionReply(*drive.smartVersionMap));
}

Reply InquiryData(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (!drive.inquiryTargetId) return Reply::Refused(ErrorCode::InvalidFunction);
  return Fixed(request.out, DriveInquiryDataReply(*drive.inquiryTargetId, drive.strings));
}

// A whole disk answers its own number with partition 0.
Reply DriveNumber(RequestContext& request) {
  return Fixed(request.out, DeviceNumberReply(FileDeviceDisk, request.drive->number, 0));
}

Reply UpdateProperties(RequestContext& request) {
  if (request.drive->updateProperties.Refuses()) return Refused(request.drive->updateProperties);
  return Reply::Done(0);
}

Reply VolumeNumber(RequestContext& request) {
  const VolumeConfig& volume = *request.volume->config;
  if (volume.deviceNumber.Refuses()) return Refused(volume.deviceNumber);
  return Fixed(request.out, DeviceNumberReply(volume.deviceType, volume.deviceNumberValue, volume.partition));
}

// One lock per volume: a second handle's lock fails as it does on a volume in use.
Reply LockVolume(RequestContext& request) {
  VolumeState& volume = *request.volume;
  if (volume.config->lock.Refuses()) return Refused(volume.config->lock);
  if (volume.lockedBy && *volume.lockedBy != request.handle) return Reply::Refused(ErrorCode::AccessDenied);
  volume.lockedBy = request.handle;
  return Reply::Done(0);
}

Reply DismountVolume(RequestContext& request) {
  const VolumeConfig& volume = *request.volume->config;
  if (volume.dismount.Refuses()) return Refused(volume.dismount);
  return Reply::Done(0);
}

Reply AllowExtendedIo(RequestContext& request) {
  const VolumeConfig& volume = *request.volume->config;
  if (volume.extendedIo.Refuses()) return Refused(volume.extendedIo);
  return Reply::Done(0);
}

struct RequestRow {
  std::uint32_t code;
  DeviceKind kind;
  Reply (*answer)(RequestContext&);
};

constexpr RequestRow Requests[] = {
    {Ioctl::DiskGetDriveGeometry, DeviceKind::Drive, Geometry},
    {Ioctl::DiskGetLengthInfo, DeviceKind::Drive, Length},
    {Ioctl::StorageQueryProperty, DeviceKind::Drive, QueryProperty},
    {Ioctl::SmartGetVersion, DeviceKind::Drive, SmartVersion},
    {Ioctl::ScsiGetInquiryData, DeviceKind::Drive, InquiryData},
    {Ioctl::SmartRcvDriveData, DeviceKind::Drive, AnswerSmartReceive},
    {Ioctl::SmartSendDriveCommand, DeviceKind::Drive, AnswerSmartSend},
    {Ioctl::ScsiMiniport, DeviceKind::Drive, AnswerMiniport},
    {Ioctl::StorageGetDeviceNumber, DeviceKind::Drive, DriveNumber},
    {Ioctl::DiskUpdateProperties, DeviceKind::Drive, UpdateProperties},
    {Ioctl::StorageGetDeviceNumber, DeviceKind::Volume, VolumeNumber},
    {Ioctl::FsctlLockVolume, DeviceKind::Volume, LockVolume},
    {Ioctl::FsctlDismountVolume, DeviceKind::Volume, DismountVolume},
    {Ioctl::FsctlAllowExtendedDasdIo, DeviceKind::Volume, AllowExtendedIo},
};

}  // namespace

Reply AnswerDeviceControl(std::uint32_t code, RequestContext& request) {
  const DeviceKind kind = request.drive != nullptr ? DeviceKind::Drive : DeviceKind::Volume;
  for (const RequestRow& row : Requests)
    if (row.code == code && row.kind == kind) return row.answer(request);
  return Reply::Refused(ErrorCode::InvalidFunction);
}

}  // namespace trelvane::emulated
