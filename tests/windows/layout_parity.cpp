// The byte layouts and numbers the core uses, checked against the Windows headers the program is
// built with. The core never includes those headers (it reads and builds bytes at the offsets in
// platform/wire_layouts.h and sends the codes in platform/win_constants.h), so this is where a wrong
// offset, a changed packing or a mistyped request code shows. Every row is checked twice: at compile
// time (the build fails) and at run time (the failing row is named).

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "os/bytes.h"
#include "os/win_constants.h"
#include "os/wire_layouts.h"

namespace trelvane {
namespace {

namespace WL = WireLayout;

// clang-format off
#define TRELVANE_LAYOUT_ROWS(ROW) \
  ROW(sizeof(DISK_GEOMETRY), WL::DiskGeometrySize) \
  ROW(offsetof(DISK_GEOMETRY, Cylinders), WL::DiskGeometryCylinders) \
  ROW(offsetof(DISK_GEOMETRY, MediaType), WL::DiskGeometryMediaType) \
  ROW(offsetof(DISK_GEOMETRY, TracksPerCylinder), WL::DiskGeometryTracksPerCylinder) \
  ROW(offsetof(DISK_GEOMETRY, SectorsPerTrack), WL::DiskGeometrySectorsPerTrack) \
  ROW(offsetof(DISK_GEOMETRY, BytesPerSector), WL::DiskGeometryBytesPerSector) \
  ROW(sizeof(GET_LENGTH_INFORMATION), WL::LengthInformationSize) \
  ROW(offsetof(GET_LENGTH_INFORMATION, Length), WL::LengthInformationLength) \
  ROW(sizeof(STORAGE_PROPERTY_QUERY), WL::StoragePropertyQuerySize) \
  ROW(offsetof(STORAGE_PROPERTY_QUERY, PropertyId), WL::StoragePropertyQueryPropertyId) \
  ROW(offsetof(STORAGE_PROPERTY_QUERY, QueryType), WL::StoragePropertyQueryQueryType) \
  ROW(offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters), WL::StoragePropertyQueryAdditionalParameters) \
  ROW(sizeof(STORAGE_ADAPTER_DESCRIPTOR), WL::StorageAdapterDescriptorSize) \
  ROW(offsetof(STORAGE_ADAPTER_DESCRIPTOR, Version), WL::StorageAdapterDescriptorVersion) \
  ROW(offsetof(STORAGE_ADAPTER_DESCRIPTOR, Size), WL::StorageAdapterDescriptorSizeField) \
  ROW(offsetof(STORAGE_ADAPTER_DESCRIPTOR, MaximumTransferLength), WL::StorageAdapterDescriptorMaximumTransferLength) \
  ROW(offsetof(STORAGE_ADAPTER_DESCRIPTOR, MaximumPhysicalPages), WL::StorageAdapterDescriptorMaximumPhysicalPages) \
  ROW(offsetof(STORAGE_ADAPTER_DESCRIPTOR, AlignmentMask), WL::StorageAdapterDescriptorAlignmentMask) \
  ROW(offsetof(STORAGE_ADAPTER_DESCRIPTOR, BusType), WL::StorageAdapterDescriptorBusType) \
  ROW(sizeof(STORAGE_DEVICE_DESCRIPTOR), WL::StorageDeviceDescriptorSize) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, Version), WL::StorageDeviceDescriptorVersion) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, Size), WL::StorageDeviceDescriptorSizeField) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, DeviceType), WL::StorageDeviceDescriptorDeviceType) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, RemovableMedia), WL::StorageDeviceDescriptorRemovableMedia) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset), WL::StorageDeviceDescriptorVendorIdOffset) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset), WL::StorageDeviceDescriptorProductIdOffset) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductRevisionOffset), WL::StorageDeviceDescriptorProductRevisionOffset) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset), WL::StorageDeviceDescriptorSerialNumberOffset) \
  ROW(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType), WL::StorageDeviceDescriptorBusType) \
  ROW(sizeof(GETVERSIONINPARAMS), WL::GetVersionInParamsSize) \
  ROW(offsetof(GETVERSIONINPARAMS, bVersion), WL::GetVersionInParamsVersion) \
  ROW(offsetof(GETVERSIONINPARAMS, bRevision), WL::GetVersionInParamsRevision) \
  ROW(offsetof(GETVERSIONINPARAMS, bIDEDeviceMap), WL::GetVersionInParamsIdeDeviceMap) \
  ROW(offsetof(GETVERSIONINPARAMS, fCapabilities), WL::GetVersionInParamsCapabilities) \
  ROW(sizeof(IDEREGS), WL::IdeRegsSize) \
  ROW(offsetof(IDEREGS, bFeaturesReg), WL::IdeRegsFeatures) \
  ROW(offsetof(IDEREGS, bSectorCountReg), WL::IdeRegsSectorCount) \
  ROW(offsetof(IDEREGS, bSectorNumberReg), WL::IdeRegsSectorNumber) \
  ROW(offsetof(IDEREGS, bCylLowReg), WL::IdeRegsCylLow) \
  ROW(offsetof(IDEREGS, bCylHighReg), WL::IdeRegsCylHigh) \
  ROW(offsetof(IDEREGS, bDriveHeadReg), WL::IdeRegsDriveHead) \
  ROW(offsetof(IDEREGS, bCommandReg), WL::IdeRegsCommand) \
  ROW(sizeof(SENDCMDINPARAMS), WL::SendCmdInParamsSize) \
  ROW(offsetof(SENDCMDINPARAMS, cBufferSize), WL::SendCmdInParamsBufferSize) \
  ROW(offsetof(SENDCMDINPARAMS, irDriveRegs), WL::SendCmdInParamsDriveRegs) \
  ROW(offsetof(SENDCMDINPARAMS, bDriveNumber), WL::SendCmdInParamsDriveNumber) \
  ROW(offsetof(SENDCMDINPARAMS, bBuffer), WL::SendCmdInParamsBuffer) \
  ROW(sizeof(DRIVERSTATUS), WL::DriverStatusSize) \
  ROW(offsetof(DRIVERSTATUS, bDriverError), WL::DriverStatusDriverError) \
  ROW(offsetof(DRIVERSTATUS, bIDEError), WL::DriverStatusIdeError) \
  ROW(sizeof(SENDCMDOUTPARAMS), WL::SendCmdOutParamsSize) \
  ROW(offsetof(SENDCMDOUTPARAMS, cBufferSize), WL::SendCmdOutParamsBufferSize) \
  ROW(offsetof(SENDCMDOUTPARAMS, DriverStatus), WL::SendCmdOutParamsDriverStatus) \
  ROW(offsetof(SENDCMDOUTPARAMS, bBuffer), WL::SendCmdOutParamsBuffer) \
  ROW(sizeof(SRB_IO_CONTROL), WL::SrbIoControlSize) \
  ROW(offsetof(SRB_IO_CONTROL, HeaderLength), WL::SrbIoControlHeaderLength) \
  ROW(offsetof(SRB_IO_CONTROL, Signature), WL::SrbIoControlSignature) \
  ROW(sizeof(SRB_IO_CONTROL::Signature), WL::SrbIoControlSignatureLength) \
  ROW(offsetof(SRB_IO_CONTROL, Timeout), WL::SrbIoControlTimeout) \
  ROW(offsetof(SRB_IO_CONTROL, ControlCode), WL::SrbIoControlControlCode) \
  ROW(offsetof(SRB_IO_CONTROL, ReturnCode), WL::SrbIoControlReturnCode) \
  ROW(offsetof(SRB_IO_CONTROL, Length), WL::SrbIoControlLength) \
  ROW(sizeof(SCSI_ADAPTER_BUS_INFO), WL::ScsiAdapterBusInfoSize) \
  ROW(offsetof(SCSI_ADAPTER_BUS_INFO, NumberOfBuses), WL::ScsiAdapterBusInfoNumberOfBuses) \
  ROW(offsetof(SCSI_ADAPTER_BUS_INFO, BusData), WL::ScsiAdapterBusInfoBusData) \
  ROW(sizeof(SCSI_BUS_DATA), WL::ScsiBusDataSize) \
  ROW(offsetof(SCSI_BUS_DATA, NumberOfLogicalUnits), WL::ScsiBusDataNumberOfLogicalUnits) \
  ROW(offsetof(SCSI_BUS_DATA, InitiatorBusId), WL::ScsiBusDataInitiatorBusId) \
  ROW(offsetof(SCSI_BUS_DATA, InquiryDataOffset), WL::ScsiBusDataInquiryDataOffset) \
  ROW(sizeof(SCSI_INQUIRY_DATA), WL::ScsiInquiryDataSize) \
  ROW(offsetof(SCSI_INQUIRY_DATA, PathId), WL::ScsiInquiryDataPathId) \
  ROW(offsetof(SCSI_INQUIRY_DATA, TargetId), WL::ScsiInquiryDataTargetId) \
  ROW(offsetof(SCSI_INQUIRY_DATA, Lun), WL::ScsiInquiryDataLun) \
  ROW(offsetof(SCSI_INQUIRY_DATA, DeviceClaimed), WL::ScsiInquiryDataDeviceClaimed) \
  ROW(offsetof(SCSI_INQUIRY_DATA, InquiryDataLength), WL::ScsiInquiryDataInquiryDataLength) \
  ROW(offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset), WL::ScsiInquiryDataNextInquiryDataOffset) \
  ROW(offsetof(SCSI_INQUIRY_DATA, InquiryData), WL::ScsiInquiryDataInquiryData) \
  ROW(sizeof(STORAGE_DEVICE_NUMBER), WL::StorageDeviceNumberSize) \
  ROW(offsetof(STORAGE_DEVICE_NUMBER, DeviceType), WL::StorageDeviceNumberDeviceType) \
  ROW(offsetof(STORAGE_DEVICE_NUMBER, DeviceNumber), WL::StorageDeviceNumberDeviceNumber) \
  ROW(offsetof(STORAGE_DEVICE_NUMBER, PartitionNumber), WL::StorageDeviceNumberPartitionNumber) \
  ROW(sizeof(OSVERSIONINFOW), WL::OsVersionInfoSize) \
  ROW(offsetof(OSVERSIONINFOW, dwOSVersionInfoSize), WL::OsVersionInfoSizeField) \
  ROW(offsetof(OSVERSIONINFOW, dwMajorVersion), WL::OsVersionInfoMajorVersion) \
  ROW(offsetof(OSVERSIONINFOW, dwMinorVersion), WL::OsVersionInfoMinorVersion) \
  ROW(offsetof(OSVERSIONINFOW, dwBuildNumber), WL::OsVersionInfoBuildNumber) \
  ROW(offsetof(OSVERSIONINFOW, dwPlatformId), WL::OsVersionInfoPlatformId) \
  ROW(offsetof(OSVERSIONINFOW, szCSDVersion), WL::OsVersionInfoCsdVersion) \
  ROW(sizeof(OSVERSIONINFOW::szCSDVersion) / sizeof(WCHAR), WL::OsVersionInfoCsdVersionUnits)

// The numbers of platform/win_constants.h against the headers' macros and enumerations.
#define TRELVANE_CONSTANT_ROWS(ROW) \
  ROW(IOCTL_DISK_GET_DRIVE_GEOMETRY, Ioctl::DiskGetDriveGeometry) \
  ROW(IOCTL_DISK_GET_LENGTH_INFO, Ioctl::DiskGetLengthInfo) \
  ROW(IOCTL_STORAGE_QUERY_PROPERTY, Ioctl::StorageQueryProperty) \
  ROW(SMART_GET_VERSION, Ioctl::SmartGetVersion) \
  ROW(IOCTL_SCSI_GET_INQUIRY_DATA, Ioctl::ScsiGetInquiryData) \
  ROW(SMART_SEND_DRIVE_COMMAND, Ioctl::SmartSendDriveCommand) \
  ROW(SMART_RCV_DRIVE_DATA, Ioctl::SmartRcvDriveData) \
  ROW(IOCTL_SCSI_MINIPORT, Ioctl::ScsiMiniport) \
  ROW(IOCTL_STORAGE_GET_DEVICE_NUMBER, Ioctl::StorageGetDeviceNumber) \
  ROW(FSCTL_LOCK_VOLUME, Ioctl::FsctlLockVolume) \
  ROW(FSCTL_DISMOUNT_VOLUME, Ioctl::FsctlDismountVolume) \
  ROW(FSCTL_ALLOW_EXTENDED_DASD_IO, Ioctl::FsctlAllowExtendedDasdIo) \
  ROW(IOCTL_DISK_UPDATE_PROPERTIES, Ioctl::DiskUpdateProperties) \
  ROW(GENERIC_READ, Access::GenericRead) \
  ROW(GENERIC_WRITE, Access::GenericWrite) \
  ROW(FILE_SHARE_READ, Share::Read) \
  ROW(FILE_SHARE_WRITE, Share::Write) \
  ROW(StorageDeviceProperty, StorageProperty::Device) \
  ROW(StorageAdapterProperty, StorageProperty::Adapter) \
  ROW(FILE_DEVICE_DISK, FileDeviceDisk) \
  ROW(VER_PLATFORM_WIN32_NT, PlatformWin32Nt) \
  ROW(SW_SHOW, ShowCommandShow) \
  ROW(SW_SHOWNORMAL, ShowCommandShowNormal) \
  ROW(ERROR_INVALID_FUNCTION, ErrorCode::InvalidFunction) \
  ROW(ERROR_FILE_NOT_FOUND, ErrorCode::FileNotFound) \
  ROW(ERROR_PATH_NOT_FOUND, ErrorCode::PathNotFound) \
  ROW(ERROR_ACCESS_DENIED, ErrorCode::AccessDenied) \
  ROW(ERROR_INVALID_HANDLE, ErrorCode::InvalidHandle) \
  ROW(ERROR_NOT_ENOUGH_MEMORY, ErrorCode::NotEnoughMemory) \
  ROW(ERROR_WRITE_PROTECT, ErrorCode::WriteProtect) \
  ROW(ERROR_NOT_READY, ErrorCode::NotReady) \
  ROW(ERROR_CRC, ErrorCode::Crc) \
  ROW(ERROR_SECTOR_NOT_FOUND, ErrorCode::SectorNotFound) \
  ROW(ERROR_WRITE_FAULT, ErrorCode::WriteFault) \
  ROW(ERROR_READ_FAULT, ErrorCode::ReadFault) \
  ROW(ERROR_GEN_FAILURE, ErrorCode::GenFailure) \
  ROW(ERROR_SHARING_VIOLATION, ErrorCode::SharingViolation) \
  ROW(ERROR_LOCK_VIOLATION, ErrorCode::LockViolation) \
  ROW(ERROR_HANDLE_EOF, ErrorCode::HandleEof) \
  ROW(ERROR_NOT_SUPPORTED, ErrorCode::NotSupported) \
  ROW(ERROR_DEV_NOT_EXIST, ErrorCode::DevNotExist) \
  ROW(ERROR_INVALID_PARAMETER, ErrorCode::InvalidParameter) \
  ROW(ERROR_INSUFFICIENT_BUFFER, ErrorCode::InsufficientBuffer) \
  ROW(ERROR_SEM_TIMEOUT, ErrorCode::SemTimeout) \
  ROW(ERROR_BUSY, ErrorCode::Busy) \
  ROW(ERROR_IO_DEVICE, ErrorCode::IoDevice) \
  ROW(ERROR_DEVICE_NOT_CONNECTED, ErrorCode::DeviceNotConnected)
// clang-format on

#define TRELVANE_STATIC_ROW(actual, expected) \
  static_assert(static_cast<std::uint64_t>(actual) == static_cast<std::uint64_t>(expected), \
                #actual " differs from " #expected);
TRELVANE_LAYOUT_ROWS(TRELVANE_STATIC_ROW)
TRELVANE_CONSTANT_ROWS(TRELVANE_STATIC_ROW)

struct Row {
  const char* what;
  std::uint64_t windows;
  std::uint64_t core;
};

#define TRELVANE_TABLE_ROW(actual, expected) \
  Row{#actual, static_cast<std::uint64_t>(actual), static_cast<std::uint64_t>(expected)},
constexpr Row LayoutRows[] = {TRELVANE_LAYOUT_ROWS(TRELVANE_TABLE_ROW)};
constexpr Row ConstantRows[] = {TRELVANE_CONSTANT_ROWS(TRELVANE_TABLE_ROW)};

TEST(LayoutParity, EverySizeAndOffsetOfTheCoreMatchesTheWindowsHeaders) {
  for (const Row& row : LayoutRows) EXPECT_EQ(row.windows, row.core) << row.what;
}

TEST(LayoutParity, EveryRequestAccessAndErrorCodeMatchesTheWindowsHeaders) {
  for (const Row& row : ConstantRows) EXPECT_EQ(row.windows, row.core) << row.what;
}

// The miniport's IDENTIFY code is not declared by the headers: the SCSI device type 0x1B in the high
// word, function 0x0501 in the low word.
TEST(LayoutParity, MiniportIdentifyCodeIsScsiDeviceTypeAndFunction0501) {
  EXPECT_EQ(Ioctl::ScsiMiniportIdentify, (0x1Bu << 16) | 0x0501u);
}

template <typename Structure>
std::array<std::uint8_t, sizeof(Structure)> BytesOf(const Structure& structure) {
  std::array<std::uint8_t, sizeof(Structure)> bytes{};
  std::memcpy(bytes.data(), &structure, sizeof(Structure));
  return bytes;
}

// Offsets alone do not show a field's width or byte order: replies filled in through the headers'
// fields are read back the way the core reads them.
TEST(LayoutParity, RepliesFilledThroughTheHeadersReadBackAtTheCoreOffsets) {
  DISK_GEOMETRY geometry{};
  geometry.Cylinders.QuadPart = 0x0102030405060708;
  geometry.MediaType = FixedMedia;
  geometry.BytesPerSector = 4096;
  const auto geometryBytes = BytesOf(geometry);
  EXPECT_EQ(ReadU64LE(geometryBytes, WL::DiskGeometryCylinders), 0x0102030405060708u);
  EXPECT_EQ(ReadU32LE(geometryBytes, WL::DiskGeometryMediaType), 12u);
  EXPECT_EQ(ReadU32LE(geometryBytes, WL::DiskGeometryBytesPerSector), 4096u);

  GET_LENGTH_INFORMATION length{};
  length.Length.QuadPart = 500107862016;
  EXPECT_EQ(ReadU64LE(BytesOf(length), WL::LengthInformationLength), 500107862016u);

  STORAGE_ADAPTER_DESCRIPTOR adapter{};
  adapter.MaximumTransferLength = 131072;
  adapter.BusType = BusTypeSata;
  const auto adapterBytes = BytesOf(adapter);
  EXPECT_EQ(ReadU32LE(adapterBytes, WL::StorageAdapterDescriptorMaximumTransferLength), 131072u);
  EXPECT_EQ(adapterBytes[WL::StorageAdapterDescriptorBusType], 11);

  STORAGE_DEVICE_DESCRIPTOR device{};
  device.RemovableMedia = TRUE;
  device.ProductIdOffset = 40;
  device.SerialNumberOffset = 0x01020304;
  device.BusType = BusTypeUsb;
  const auto deviceBytes = BytesOf(device);
  EXPECT_EQ(deviceBytes[WL::StorageDeviceDescriptorRemovableMedia], 1);
  EXPECT_EQ(ReadU32LE(deviceBytes, WL::StorageDeviceDescriptorProductIdOffset), 40u);
  EXPECT_EQ(ReadU32LE(deviceBytes, WL::StorageDeviceDescriptorSerialNumberOffset), 0x01020304u);
  EXPECT_EQ(ReadU32LE(deviceBytes, WL::StorageDeviceDescriptorBusType), 7u);

  STORAGE_DEVICE_NUMBER number{FILE_DEVICE_DISK, 3, 2};
  const auto numberBytes = BytesOf(number);
  EXPECT_EQ(ReadU32LE(numberBytes, WL::StorageDeviceNumberDeviceType), FileDeviceDisk);
  EXPECT_EQ(ReadU32LE(numberBytes, WL::StorageDeviceNumberDeviceNumber), 3u);
  EXPECT_EQ(ReadU32LE(numberBytes, WL::StorageDeviceNumberPartitionNumber), 2u);
}

TEST(LayoutParity, SmartAndMiniportBlocksFilledThroughTheHeadersReadBackAtTheCoreOffsets) {
  GETVERSIONINPARAMS version{};
  version.bIDEDeviceMap = 0x02;
  version.fCapabilities = CAP_ATA_ID_CMD | CAP_SMART_CMD;
  const auto versionBytes = BytesOf(version);
  EXPECT_EQ(versionBytes[WL::GetVersionInParamsIdeDeviceMap], 0x02);
  EXPECT_EQ(ReadU32LE(versionBytes, WL::GetVersionInParamsCapabilities), 5u);

  SENDCMDOUTPARAMS out{};
  out.cBufferSize = 512;
  out.DriverStatus.bIDEError = 0x04;
  out.bBuffer[0] = 0x5A;
  const auto outBytes = BytesOf(out);
  EXPECT_EQ(ReadU32LE(outBytes, WL::SendCmdOutParamsBufferSize), 512u);
  EXPECT_EQ(outBytes[WL::SendCmdOutParamsDriverStatus + WL::DriverStatusIdeError], 0x04);
  EXPECT_EQ(outBytes[WL::SendCmdOutParamsBuffer], 0x5A);

  SRB_IO_CONTROL srb{};
  srb.HeaderLength = sizeof(SRB_IO_CONTROL);
  std::memcpy(srb.Signature, "SCSIDISK", 8);
  srb.Timeout = 120;
  srb.ControlCode = Ioctl::ScsiMiniportIdentify;
  srb.Length = 544;
  const auto srbBytes = BytesOf(srb);
  EXPECT_EQ(ReadU32LE(srbBytes, WL::SrbIoControlHeaderLength), 28u);
  EXPECT_EQ(srbBytes[WL::SrbIoControlSignature], 'S');
  EXPECT_EQ(srbBytes[WL::SrbIoControlSignature + 7], 'K');
  EXPECT_EQ(ReadU32LE(srbBytes, WL::SrbIoControlTimeout), 120u);
  EXPECT_EQ(ReadU32LE(srbBytes, WL::SrbIoControlControlCode), 0x001B0501u);
  EXPECT_EQ(ReadU32LE(srbBytes, WL::SrbIoControlLength), 544u);
}

// The inquiry reply of one bus: the adapter's bus information, then the first device record right
// after it, so the first record's target id sits at byte 13.
TEST(LayoutParity, FirstInquiryRecordTargetIdIsByte13OfASingleBusReply) {
  std::array<std::uint8_t, sizeof(SCSI_ADAPTER_BUS_INFO) + sizeof(SCSI_INQUIRY_DATA)> reply{};
  SCSI_ADAPTER_BUS_INFO bus{};
  bus.NumberOfBuses = 1;
  bus.BusData[0].NumberOfLogicalUnits = 1;
  bus.BusData[0].InquiryDataOffset = sizeof(SCSI_ADAPTER_BUS_INFO);
  SCSI_INQUIRY_DATA record{};
  record.TargetId = 1;
  std::memcpy(reply.data(), &bus, sizeof(bus));
  std::memcpy(reply.data() + bus.BusData[0].InquiryDataOffset, &record, sizeof(record));
  EXPECT_EQ(ReadU32LE(reply, WL::ScsiAdapterBusInfoBusData + WL::ScsiBusDataInquiryDataOffset),
            WL::ScsiAdapterBusInfoSize);
  EXPECT_EQ(reply[13], 1);
  EXPECT_EQ(reply[WL::ScsiAdapterBusInfoSize + WL::ScsiInquiryDataTargetId], 1);
}

TEST(LayoutParity, VersionBlockFilledThroughTheHeadersReadsBackAtTheCoreOffsets) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = 10;
  info.dwBuildNumber = 19045;
  info.dwPlatformId = VER_PLATFORM_WIN32_NT;
  info.szCSDVersion[0] = L'S';
  info.szCSDVersion[127] = L'\x0411';
  const auto bytes = BytesOf(info);
  EXPECT_EQ(ReadU32LE(bytes, WL::OsVersionInfoSizeField), 276u);
  EXPECT_EQ(ReadU32LE(bytes, WL::OsVersionInfoMajorVersion), 10u);
  EXPECT_EQ(ReadU32LE(bytes, WL::OsVersionInfoBuildNumber), 19045u);
  EXPECT_EQ(ReadU32LE(bytes, WL::OsVersionInfoPlatformId), PlatformWin32Nt);
  EXPECT_EQ(ReadU16LE(bytes, WL::OsVersionInfoCsdVersion), u'S');
  EXPECT_EQ(ReadU16LE(bytes, WL::OsVersionInfoCsdVersion + 2 * 127), 0x0411u);
}

// The request the core builds byte by byte, seen through the headers' structure.
TEST(LayoutParity, CommandBlockBuiltAtTheCoreOffsetsReadsBackThroughTheHeaders) {
  std::array<std::uint8_t, WL::SendCmdInParamsSize> bytes{};
  WriteU32LE(bytes, WL::SendCmdInParamsBufferSize, 512);
  bytes[WL::SendCmdInParamsDriveRegs + WL::IdeRegsFeatures] = 0xD0;
  bytes[WL::SendCmdInParamsDriveRegs + WL::IdeRegsCylLow] = 0x4F;
  bytes[WL::SendCmdInParamsDriveRegs + WL::IdeRegsCylHigh] = 0xC2;
  bytes[WL::SendCmdInParamsDriveRegs + WL::IdeRegsDriveHead] = 0xB0;
  bytes[WL::SendCmdInParamsDriveRegs + WL::IdeRegsCommand] = 0xB0;
  bytes[WL::SendCmdInParamsDriveNumber] = 1;
  SENDCMDINPARAMS in{};
  std::memcpy(&in, bytes.data(), sizeof(in));
  EXPECT_EQ(in.cBufferSize, 512u);
  EXPECT_EQ(in.irDriveRegs.bFeaturesReg, 0xD0);
  EXPECT_EQ(in.irDriveRegs.bCylLowReg, 0x4F);
  EXPECT_EQ(in.irDriveRegs.bCylHighReg, 0xC2);
  EXPECT_EQ(in.irDriveRegs.bDriveHeadReg, 0xB0);
  EXPECT_EQ(in.irDriveRegs.bCommandReg, 0xB0);
  EXPECT_EQ(in.bDriveNumber, 1);

  std::array<std::uint8_t, WL::StoragePropertyQuerySize> query{};
  WriteU32LE(query, WL::StoragePropertyQueryPropertyId, StorageProperty::Adapter);
  STORAGE_PROPERTY_QUERY property{};
  std::memcpy(&property, query.data(), sizeof(property));
  EXPECT_EQ(property.PropertyId, StorageAdapterProperty);
  EXPECT_EQ(property.QueryType, PropertyStandardQuery);
}

}  // namespace
}  // namespace trelvane
