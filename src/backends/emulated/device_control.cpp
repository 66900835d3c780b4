#include "backends/emulated/device_control.h"

#include <array>

#include "backends/emulated/ata_requests.h"
#include "backends/emulated/device_replies.h"
#include "backends/emulated/handle_table.h"
#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane::emulated {

namespace {

DeviceReply Refused(const RequestFault& fault) { return DeviceReply::Failure(fault.error); }

DeviceReply Geometry(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (drive.geometry.Refuses()) return Refused(drive.geometry);
  return CopyReply(DriveGeometryReply(drive), request.out);
}

DeviceReply Length(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (drive.length.Refuses()) return Refused(drive.length);
  return CopyReply(DriveLengthReply(drive), request.out);
}

// A drive without an `nvme` field answers no protocol-specific query, as a SATA disk's driver does not.
DeviceReply NvmeQuery(const DriveConfig& drive, DriveFirmware* firmware, const PropertyQuery& query,
                      std::span<std::uint8_t> out) {
  if (!drive.nvme) return DeviceReply::Failure(ErrorCode::NotSupported);
  const auto read = ReadNvmeRequest(query);
  if (const auto* refused = std::get_if<DeviceReply>(&read)) return *refused;
  const NvmeConfig& nvme = *drive.nvme;
  switch (std::get<NvmeRequest>(read).kind) {
    case NvmeRequestKind::IdentifyController:
      if (nvme.identify.Refuses()) return Refused(nvme.identify);
      return ProtocolDataReply(*query.protocol, nvme.identifyController, out);
    case NvmeRequestKind::ActiveNamespaceList:
      if (nvme.identify.Refuses()) return Refused(nvme.identify);
      // A drive whose machine file gives no list refuses it, as a driver that passes only CNS 00h and
      // 01h does.
      if (!nvme.activeNamespaces) return DeviceReply::Failure(ErrorCode::NotSupported);
      return ProtocolDataReply(*query.protocol, *nvme.activeNamespaces, out);
    case NvmeRequestKind::IdentifyNamespace:
      if (nvme.identify.Refuses()) return Refused(nvme.identify);
      return ProtocolDataReply(*query.protocol, nvme.identifyNamespace, out);
    case NvmeRequestKind::HealthLog:
      if (nvme.log.Refuses()) return Refused(nvme.log);
      return ProtocolDataReply(*query.protocol, nvme.healthLog, out);
    case NvmeRequestKind::SanitizeLog: {
      if (nvme.log.Refuses()) return Refused(nvme.log);
      // A controller without Sanitize has no such log: Invalid Field, which the driver reports as 1117.
      if (!firmware || (ReadU32LE(nvme.identifyController, 328) & 7u) == 0)
        return DeviceReply::Failure(ErrorCode::IoDevice);
      std::array<std::uint8_t, NvmeData::SanitizeLogBytes> log{};
      firmware->SanitizeLog(log);
      return ProtocolDataReply(*query.protocol, log, out);
    }
  }
  return DeviceReply::Failure(ErrorCode::NotSupported);
}

DeviceReply QueryProperty(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  const auto read = ReadPropertyQuery(request.in);
  if (const auto* refused = std::get_if<DeviceReply>(&read)) return *refused;
  const PropertyQuery query = std::get<PropertyQuery>(read);
  if (query.existsOnly) return DeviceReply::Success(0);
  if (query.protocol) return NvmeQuery(drive, request.firmware, query, request.out);
  if (query.property == StorageProperty::Adapter) {
    if (drive.adapter.Refuses()) return Refused(drive.adapter);
    const auto reply = DriveAdapterReply(drive);
    return CopyDescriptor(reply, static_cast<std::uint32_t>(reply.size()), request.out);
  }
  if (drive.device.Refuses()) return Refused(drive.device);
  return CopyDescriptor(drive.deviceReply, drive.deviceReplySize, request.out);
}

DeviceReply SmartVersion(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (!drive.smartVersionMap) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return CopyReply(DriveSmartVersionReply(*drive.smartVersionMap), request.out);
}

DeviceReply InquiryData(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (!drive.inquiryTargetId) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return CopyReply(DriveInquiryDataReply(*drive.inquiryTargetId, drive.strings), request.out);
}

// A whole disk answers its own number with partition 0.
DeviceReply DriveNumber(RequestContext& request) {
  return CopyReply(DeviceNumberReply(FileDeviceDisk, request.drive->number, 0), request.out);
}

DeviceReply UpdateProperties(RequestContext& request) {
  if (request.drive->updateProperties.Refuses()) return Refused(request.drive->updateProperties);
  return DeviceReply::Success(0);
}

DeviceReply IsWritable(RequestContext& request) {
  if (request.drive->readOnly) return DeviceReply::Failure(ErrorCode::WriteProtect);
  return DeviceReply::Success(0);
}

DeviceReply VolumeNumber(RequestContext& request) {
  const VolumeConfig& volume = *request.volume->config;
  if (volume.deviceNumber.Refuses()) return Refused(volume.deviceNumber);
  return CopyReply(DeviceNumberReply(volume.deviceType, volume.deviceNumberValue, volume.partition), request.out);
}

// One lock per volume: a second handle's lock fails as it does on a volume in use.
DeviceReply LockVolume(RequestContext& request) {
  VolumeState& volume = *request.volume;
  if (volume.config->lock.Refuses()) return Refused(volume.config->lock);
  if (volume.lockedBy && *volume.lockedBy != request.handle) return DeviceReply::Failure(ErrorCode::AccessDenied);
  volume.lockedBy = request.handle;
  return DeviceReply::Success(0);
}

DeviceReply DismountVolume(RequestContext& request) {
  const VolumeConfig& volume = *request.volume->config;
  if (volume.dismount.Refuses()) return Refused(volume.dismount);
  return DeviceReply::Success(0);
}

DeviceReply UnlockVolume(RequestContext& request) {
  VolumeState& volume = *request.volume;
  if (volume.config->unlock.Refuses()) return Refused(volume.config->unlock);
  if (volume.lockedBy != request.handle) return DeviceReply::Failure(ErrorCode::NotLocked);
  volume.lockedBy.reset();
  return DeviceReply::Success(0);
}

DeviceReply AllowExtendedIo(RequestContext& request) {
  const VolumeConfig& volume = *request.volume->config;
  if (volume.extendedIo.Refuses()) return Refused(volume.extendedIo);
  return DeviceReply::Success(0);
}

// IOCTL_STORAGE_REINITIALIZE_MEDIA on an NVMe disk, as the in-box driver carries it: no input, Format
// NVM with a cryptographic erase; STORAGE_REINITIALIZE_MEDIA, Sanitize. A command the controller
// rejects fails the request with 1117; a drive without the format's crypto erase is refused by the
// driver itself with 1. Other disks answer 1.
DeviceReply ReinitializeMediaRequest(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (!drive.nvme || request.firmware == nullptr) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  if (request.in.empty()) {
    const NvmeConfig& nvme = *drive.nvme;
    if ((ReadU16LE(nvme.identifyController, 256) & 2u) == 0 || (nvme.identifyController[524] & 4u) == 0)
      return DeviceReply::Failure(ErrorCode::InvalidFunction);
    if (request.firmware->NvmeFormat(2) != 0) return DeviceReply::Failure(ErrorCode::IoDevice);
    return DeviceReply::Success(0);
  }
  if (request.in.size() < ReinitializeMedia::Bytes || ReadU32LE(request.in, 4) < ReinitializeMedia::Bytes)
    return DeviceReply::Failure(ErrorCode::InvalidParameter);
  const std::uint32_t option = ReadU32LE(request.in, ReinitializeMedia::SanitizeOption);
  const std::uint32_t method = option & 0xFu;
  if (method > ReinitializeMedia::MethodCryptoErase) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  const std::uint8_t action = method == ReinitializeMedia::MethodBlockErase ? 2 : 4;  // the default is crypto
  const bool unrestricted = (option & ReinitializeMedia::DisallowUnrestrictedExit) == 0;
  if (request.firmware->NvmeSanitize(action, unrestricted) != 0) return DeviceReply::Failure(ErrorCode::IoDevice);
  return DeviceReply::Success(0);
}

struct RequestRow {
  std::uint32_t code;
  DeviceKind kind;
  DeviceReply (*answer)(RequestContext&);
  bool carriesAta = false;  // refused by an NVMe drive, whose driver has no ATA path
};

constexpr RequestRow Requests[] = {
    {Ioctl::DiskGetDriveGeometry, DeviceKind::Drive, Geometry},
    {Ioctl::DiskGetLengthInfo, DeviceKind::Drive, Length},
    {Ioctl::StorageQueryProperty, DeviceKind::Drive, QueryProperty},
    {Ioctl::SmartGetVersion, DeviceKind::Drive, SmartVersion, true},
    {Ioctl::ScsiGetInquiryData, DeviceKind::Drive, InquiryData},
    {Ioctl::SmartRcvDriveData, DeviceKind::Drive, AnswerSmartReceive, true},
    {Ioctl::SmartSendDriveCommand, DeviceKind::Drive, AnswerSmartSend, true},
    {Ioctl::ScsiMiniport, DeviceKind::Drive, AnswerMiniport, true},
    {Ioctl::AtaPassThrough, DeviceKind::Drive, AnswerAtaPassThrough, true},
    {Ioctl::StorageReinitializeMedia, DeviceKind::Drive, ReinitializeMediaRequest},
    {Ioctl::StorageGetDeviceNumber, DeviceKind::Drive, DriveNumber},
    {Ioctl::DiskUpdateProperties, DeviceKind::Drive, UpdateProperties},
    {Ioctl::DiskIsWritable, DeviceKind::Drive, IsWritable},
    {Ioctl::StorageGetDeviceNumber, DeviceKind::Volume, VolumeNumber},
    {Ioctl::FsctlLockVolume, DeviceKind::Volume, LockVolume},
    {Ioctl::FsctlDismountVolume, DeviceKind::Volume, DismountVolume},
    {Ioctl::FsctlAllowExtendedDasdIo, DeviceKind::Volume, AllowExtendedIo},
    {Ioctl::FsctlUnlockVolume, DeviceKind::Volume, UnlockVolume},
};

}  // namespace

DeviceReply AnswerDeviceControl(std::uint32_t code, RequestContext& request) {
  const DeviceKind kind = request.drive != nullptr ? DeviceKind::Drive : DeviceKind::Volume;
  for (const RequestRow& row : Requests)
    if (row.code == code && row.kind == kind) {
      if (row.carriesAta && request.drive != nullptr && request.drive->nvme)
        return DeviceReply::Failure(ErrorCode::InvalidFunction);
      return row.answer(request);
    }
  return DeviceReply::Failure(ErrorCode::InvalidFunction);
}

}  // namespace trelvane::emulated
