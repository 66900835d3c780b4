// The bytes the program really builds and reads, against the Windows headers it is built with. The
// reply builders and request parsers of the driver model never include those headers (they write and
// read bytes at offsets of their own), so here each builder's output is compared with the same
// structure filled in through the headers' fields, and each parser reads a block the headers laid
// out. The requests the core builds are checked the same way in windows_structures_test.cpp.

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "backends/driver_model/device_reply.h"
#include "backends/driver_model/reply_layouts.h"
#include "backends/driver_model/smart_blocks.h"
#include "os/win_constants.h"

namespace trelvane {
namespace {

// STORAGE_REINITIALIZE_MEDIA as Microsoft documents it in ntddstor.h; the MinGW-w64 headers have
// the request code but not the structure.
struct ReinitializeMediaAsDocumented {
  ULONG Version;
  ULONG Size;
  ULONG TimeoutInSeconds;
  struct {
    ULONG SanitizeMethod : 4;
    ULONG DisallowUnrestrictedSanitizeExit : 1;
    ULONG Reserved : 27;
  } SanitizeOption;
};

// clang-format off
// The numbers of os/win_constants.h against the headers' macros and enumerations.
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
  ROW(FSCTL_UNLOCK_VOLUME, Ioctl::FsctlUnlockVolume) \
  ROW(FSCTL_ALLOW_EXTENDED_DASD_IO, Ioctl::FsctlAllowExtendedDasdIo) \
  ROW(IOCTL_DISK_UPDATE_PROPERTIES, Ioctl::DiskUpdateProperties) \
  ROW(IOCTL_ATA_PASS_THROUGH, Ioctl::AtaPassThrough) \
  ROW(IOCTL_STORAGE_REINITIALIZE_MEDIA, Ioctl::StorageReinitializeMedia) \
  ROW(sizeof(ATA_PASS_THROUGH_EX), AtaPassThroughLayout::Bytes) \
  ROW(offsetof(ATA_PASS_THROUGH_EX, Length), AtaPassThroughLayout::Length) \
  ROW(offsetof(ATA_PASS_THROUGH_EX, AtaFlags), AtaPassThroughLayout::Flags) \
  ROW(offsetof(ATA_PASS_THROUGH_EX, DataTransferLength), AtaPassThroughLayout::DataTransferLength) \
  ROW(offsetof(ATA_PASS_THROUGH_EX, TimeOutValue), AtaPassThroughLayout::TimeOutValue) \
  ROW(offsetof(ATA_PASS_THROUGH_EX, DataBufferOffset), AtaPassThroughLayout::DataBufferOffset) \
  ROW(offsetof(ATA_PASS_THROUGH_EX, PreviousTaskFile), AtaPassThroughLayout::PreviousTaskFile) \
  ROW(offsetof(ATA_PASS_THROUGH_EX, CurrentTaskFile), AtaPassThroughLayout::CurrentTaskFile) \
  ROW(ATA_FLAGS_DRDY_REQUIRED, AtaPassThroughLayout::DrdyRequired) \
  ROW(ATA_FLAGS_DATA_IN, AtaPassThroughLayout::DataIn) \
  ROW(ATA_FLAGS_DATA_OUT, AtaPassThroughLayout::DataOut) \
  ROW(ATA_FLAGS_48BIT_COMMAND, AtaPassThroughLayout::Command48Bit) \
  ROW(sizeof(ReinitializeMediaAsDocumented), ReinitializeMedia::Bytes) \
  ROW(offsetof(ReinitializeMediaAsDocumented, TimeoutInSeconds), ReinitializeMedia::Timeout) \
  ROW(offsetof(ReinitializeMediaAsDocumented, SanitizeOption), ReinitializeMedia::SanitizeOption) \
  ROW(GENERIC_READ, Access::GenericRead) \
  ROW(GENERIC_WRITE, Access::GenericWrite) \
  ROW(FILE_SHARE_READ, Share::Read) \
  ROW(FILE_SHARE_WRITE, Share::Write) \
  ROW(StorageDeviceProperty, StorageProperty::Device) \
  ROW(StorageAdapterProperty, StorageProperty::Adapter) \
  ROW(StorageAdapterProtocolSpecificProperty, StorageProperty::AdapterProtocolSpecific) \
  ROW(StorageDeviceProtocolSpecificProperty, StorageProperty::DeviceProtocolSpecific) \
  ROW(ProtocolTypeNvme, StorageProtocol::TypeNvme) \
  ROW(NVMeDataTypeIdentify, StorageProtocol::NvmeDataIdentify) \
  ROW(NVMeDataTypeLogPage, StorageProtocol::NvmeDataLogPage) \
  ROW(offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters), StorageProtocol::QueryHeaderBytes) \
  ROW(sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA), StorageProtocol::SpecificDataBytes) \
  ROW(sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR), StorageProtocol::DataDescriptorBytes) \
  ROW(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData), StorageProtocol::QueryHeaderBytes) \
  ROW(::BusTypeNvme, BusTypeNvme) \
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
  ROW(ERROR_MOD_NOT_FOUND, ErrorCode::ModuleNotFound) \
  ROW(ERROR_PROC_NOT_FOUND, ErrorCode::ProcNotFound) \
  ROW(ERROR_NEGATIVE_SEEK, ErrorCode::NegativeSeek) \
  ROW(ERROR_NOT_LOCKED, ErrorCode::NotLocked) \
  ROW(ERROR_MEDIA_CHANGED, ErrorCode::MediaChanged) \
  ROW(ERROR_SEM_TIMEOUT, ErrorCode::SemTimeout) \
  ROW(ERROR_BUSY, ErrorCode::Busy) \
  ROW(ERROR_IO_DEVICE, ErrorCode::IoDevice) \
  ROW(ERROR_DEVICE_NOT_CONNECTED, ErrorCode::DeviceNotConnected)
// clang-format on

// A number that differs fails the build, naming both sides.
#define TRELVANE_STATIC_ROW(actual, expected) \
  static_assert(static_cast<std::uint64_t>(actual) == static_cast<std::uint64_t>(expected), \
                #actual " differs from " #expected);
TRELVANE_CONSTANT_ROWS(TRELVANE_STATIC_ROW)

// A structure with every byte zero, padding included, so that its bytes compare whole.
template <typename Structure>
Structure Zeroed() {
  Structure structure;
  std::memset(&structure, 0, sizeof(structure));
  return structure;
}

// Appends the first `size` bytes of `data`, zeros past its end.
void Append(std::vector<std::uint8_t>& bytes, const void* data, std::size_t size, std::size_t available) {
  const std::size_t start = bytes.size();
  bytes.resize(start + size, 0);
  std::memcpy(bytes.data() + start, data, std::min(size, available));
}

template <typename Structure>
std::vector<std::uint8_t> BytesOf(const Structure& structure, std::size_t size = sizeof(Structure)) {
  std::vector<std::uint8_t> bytes;
  Append(bytes, &structure, size, sizeof(Structure));
  return bytes;
}

template <typename Container>
std::vector<std::uint8_t> Vector(const Container& bytes) {
  return {bytes.begin(), bytes.end()};
}

struct ReplyCase {
  const char* what;
  std::vector<std::uint8_t> windows;
  std::vector<std::uint8_t> builder;
};

ReplyCase Geometry() {
  auto geometry = Zeroed<DISK_GEOMETRY>();
  geometry.Cylinders.QuadPart = 500107862016 / (255 * 63 * 512);
  geometry.MediaType = RemovableMedia;
  geometry.TracksPerCylinder = 255;
  geometry.SectorsPerTrack = 63;
  geometry.BytesPerSector = 512;
  return {"DISK_GEOMETRY", BytesOf(geometry), Vector(GeometryReply(512, 500107862016, true))};
}

ReplyCase Length() {
  auto length = Zeroed<GET_LENGTH_INFORMATION>();
  length.Length.QuadPart = 0x0000007478C00000;
  return {"GET_LENGTH_INFORMATION", BytesOf(length), Vector(LengthReply(0x0000007478C00000))};
}

ReplyCase Adapter() {
  auto adapter = Zeroed<STORAGE_ADAPTER_DESCRIPTOR>();
  adapter.Version = adapter.Size = 32;
  adapter.MaximumTransferLength = 0x20000;
  adapter.MaximumPhysicalPages = 0x20;
  adapter.AlignmentMask = 1;
  adapter.BusType = BusTypeSata;
  const AdapterFacts facts{0x20000, 0x20, 1, BusTypeSata};
  return {"STORAGE_ADAPTER_DESCRIPTOR", BytesOf(adapter, 32), Vector(AdapterDescriptorReply(facts))};
}

// The header, then the strings at the offsets its fields give; the revision is empty and has none.
ReplyCase Device() {
  const std::string strings("VND\0Disk Model\0SN01\0", 20);
  auto device = Zeroed<STORAGE_DEVICE_DESCRIPTOR>();
  const auto header = static_cast<DWORD>(sizeof(STORAGE_DEVICE_DESCRIPTOR));
  device.Version = header;
  device.Size = header + static_cast<DWORD>(strings.size());
  device.DeviceType = 5;
  device.RemovableMedia = TRUE;
  device.VendorIdOffset = header;
  device.ProductIdOffset = header + 4;
  device.SerialNumberOffset = header + 15;
  device.BusType = BusTypeUsb;
  std::vector<std::uint8_t> windows = BytesOf(device, header);
  Append(windows, strings.data(), strings.size(), strings.size());
  const DeviceFacts facts{5, true, BusTypeUsb};
  return {"STORAGE_DEVICE_DESCRIPTOR", windows, DeviceDescriptorReply({"VND", "Disk Model", "", "SN01"}, facts)};
}

ReplyCase SmartVersion() {
  auto version = Zeroed<GETVERSIONINPARAMS>();
  version.bVersion = 1;
  version.bRevision = 1;
  version.bIDEDeviceMap = 0x12;
  version.fCapabilities = CAP_ATA_ID_CMD | CAP_ATAPI_ID_CMD | CAP_SMART_CMD;
  const std::uint32_t capabilities =
      SmartCapability::AtaIdentify | SmartCapability::AtapiIdentify | SmartCapability::SmartCommands;
  return {"GETVERSIONINPARAMS", BytesOf(version), Vector(SmartVersionReply(0x12, capabilities))};
}

// SCSI_ADAPTER_BUS_INFO with one bus, its one record right after it, and the INQUIRY data in the
// record's InquiryData field.
ReplyCase Inquiry() {
  const std::vector<std::uint8_t> inquiry(36, 0x41);
  auto bus = Zeroed<SCSI_ADAPTER_BUS_INFO>();
  bus.NumberOfBuses = 1;
  bus.BusData[0].NumberOfLogicalUnits = 1;
  bus.BusData[0].InitiatorBusId = 7;
  bus.BusData[0].InquiryDataOffset = sizeof(SCSI_ADAPTER_BUS_INFO);
  auto record = Zeroed<SCSI_INQUIRY_DATA>();
  record.PathId = 2;
  record.TargetId = 3;
  record.Lun = 0;
  record.DeviceClaimed = TRUE;
  record.InquiryDataLength = static_cast<ULONG>(inquiry.size());
  std::vector<std::uint8_t> windows = BytesOf(bus);
  Append(windows, &record, offsetof(SCSI_INQUIRY_DATA, InquiryData), sizeof(record));
  Append(windows, inquiry.data(), inquiry.size(), inquiry.size());
  return {"SCSI_ADAPTER_BUS_INFO + SCSI_INQUIRY_DATA", windows, InquiryDataReply(ScsiAddress{4, 2, 3, 0}, inquiry)};
}

ReplyCase DeviceNumber() {
  STORAGE_DEVICE_NUMBER number{FILE_DEVICE_DISK, 3, 2};
  return {"STORAGE_DEVICE_NUMBER", BytesOf(number), Vector(DeviceNumberReply(FileDeviceDisk, 3, 2))};
}

TEST(LayoutParity, EveryReplyBuilderWritesTheBytesOfTheWindowsStructure) {
  for (const ReplyCase& reply : {Geometry(), Length(), Adapter(), Device(), SmartVersion(), Inquiry(), DeviceNumber()})
    EXPECT_EQ(reply.builder, reply.windows) << reply.what;
}

TEST(LayoutParity, PropertyQueryParserReadsTheWindowsStructureAndNoLess) {
  auto query = Zeroed<STORAGE_PROPERTY_QUERY>();
  query.PropertyId = StorageAdapterProperty;
  query.QueryType = PropertyExistsQuery;
  const std::vector<std::uint8_t> bytes = BytesOf(query);
  const auto read = ReadPropertyQuery(bytes);
  ASSERT_TRUE(std::holds_alternative<PropertyQuery>(read));
  EXPECT_EQ(std::get<PropertyQuery>(read).property, StorageProperty::Adapter);
  EXPECT_TRUE(std::get<PropertyQuery>(read).existsOnly);
  const auto shortRead = ReadPropertyQuery(std::span(bytes).first(sizeof(query) - 1));
  ASSERT_TRUE(std::holds_alternative<DeviceReply>(shortRead));
  EXPECT_EQ(std::get<DeviceReply>(shortRead).error, ErrorCode::InvalidParameter);
}

// A health-log query as a Windows caller lays it out, and the reply read through the headers' fields.
TEST(LayoutParity, NvmeProtocolQueryAndReplyFollowTheWindowsStructures) {
  constexpr std::size_t Specific = offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters);
  std::vector<std::uint8_t> buffer(Specific + sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) + 512, 0);
  STORAGE_PROPERTY_QUERY query = Zeroed<STORAGE_PROPERTY_QUERY>();
  query.PropertyId = StorageDeviceProtocolSpecificProperty;
  query.QueryType = PropertyStandardQuery;
  std::memcpy(buffer.data(), &query, Specific);
  STORAGE_PROTOCOL_SPECIFIC_DATA asked = Zeroed<STORAGE_PROTOCOL_SPECIFIC_DATA>();
  asked.ProtocolType = ProtocolTypeNvme;
  asked.DataType = NVMeDataTypeLogPage;
  asked.ProtocolDataRequestValue = 2;
  asked.ProtocolDataOffset = sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA);
  asked.ProtocolDataLength = 512;
  std::memcpy(buffer.data() + Specific, &asked, sizeof(asked));

  const auto read = ReadPropertyQuery(buffer);
  ASSERT_TRUE(std::holds_alternative<PropertyQuery>(read));
  const PropertyQuery parsed = std::get<PropertyQuery>(read);
  const auto nvme = ReadNvmeRequest(parsed);
  ASSERT_TRUE(std::holds_alternative<NvmeRequest>(nvme));
  EXPECT_EQ(std::get<NvmeRequest>(nvme).kind, NvmeRequestKind::HealthLog);

  std::vector<std::uint8_t> log(512, 0x5A);
  const DeviceReply reply = ProtocolDataReply(*parsed.protocol, log, buffer);
  ASSERT_TRUE(reply.ok);
  STORAGE_PROTOCOL_DATA_DESCRIPTOR descriptor;
  std::memcpy(&descriptor, buffer.data(), sizeof(descriptor));
  EXPECT_EQ(descriptor.Version, sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR));
  EXPECT_EQ(descriptor.Size, sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR));
  EXPECT_EQ(descriptor.ProtocolSpecificData.ProtocolType, ProtocolTypeNvme);
  EXPECT_EQ(descriptor.ProtocolSpecificData.ProtocolDataLength, 512u);
  const std::size_t dataAt = offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) +
                             descriptor.ProtocolSpecificData.ProtocolDataOffset;
  EXPECT_EQ(reply.returned, dataAt + 512);
  EXPECT_TRUE(std::equal(log.begin(), log.end(), buffer.begin() + static_cast<std::ptrdiff_t>(dataAt)));
}

// A miniport request as a Windows caller lays it out: SRB_IO_CONTROL, then SENDCMDINPARAMS without
// its data byte.
TEST(LayoutParity, SmartBlockParsersReadTheWindowsStructures) {
  auto srb = Zeroed<SRB_IO_CONTROL>();
  srb.HeaderLength = sizeof(SRB_IO_CONTROL);
  std::memcpy(srb.Signature, "SCSIDISK", 8);
  srb.ControlCode = Ioctl::ScsiMiniportIdentify;
  auto command = Zeroed<SENDCMDINPARAMS>();
  command.cBufferSize = 512;
  command.irDriveRegs = IDEREGS{0xD0, 1, 2, 0x4F, 0xC2, 0xB0, 0xB0, 0};
  command.bDriveNumber = 1;
  std::vector<std::uint8_t> bytes = BytesOf(srb);
  Append(bytes, &command, offsetof(SENDCMDINPARAMS, bBuffer), sizeof(command));

  EXPECT_EQ(SrbIoControlBytes, sizeof(SRB_IO_CONTROL));
  EXPECT_EQ(SendCmdInBytes, offsetof(SENDCMDINPARAMS, bBuffer));
  EXPECT_TRUE(IsMiniportIdentify(bytes));
  const auto read = ReadSendCmdIn(bytes, sizeof(SRB_IO_CONTROL));
  ASSERT_TRUE(read.has_value());
  const AtaRegisters& r = read->registers;
  EXPECT_EQ((std::vector<int>{r.Features, r.SectorCount, r.SectorNumber, r.CylinderLow, r.CylinderHigh, r.DriveHead,
                              r.Command, read->driveNumber}),
            (std::vector<int>{0xD0, 1, 2, 0x4F, 0xC2, 0xB0, 0xB0, 1}));
  EXPECT_FALSE(ReadSendCmdIn(bytes, sizeof(SRB_IO_CONTROL) + 1).has_value());
}

TEST(LayoutParity, SendCmdOutHeaderIsTheWindowsStructureUpToItsData) {
  auto out = Zeroed<SENDCMDOUTPARAMS>();
  out.cBufferSize = 512;
  out.DriverStatus.bDriverError = SMART_IDE_ERROR;
  out.DriverStatus.bIDEError = 0x04;
  EXPECT_EQ(Vector(SendCmdOutHeader(512, SMART_IDE_ERROR, 0x04)), BytesOf(out, offsetof(SENDCMDOUTPARAMS, bBuffer)));
}

// The sanitize options of STORAGE_REINITIALIZE_MEDIA as the compiler packs Microsoft's bit fields.
TEST(LayoutParity, ReinitializeMediaSanitizeOptionBits) {
  auto media = Zeroed<ReinitializeMediaAsDocumented>();
  media.SanitizeOption.SanitizeMethod = 2;  // StorageSanitizeMethodCryptoErase
  media.SanitizeOption.DisallowUnrestrictedSanitizeExit = 1;
  std::uint32_t option = 0;
  std::memcpy(&option, reinterpret_cast<const std::uint8_t*>(&media) + ReinitializeMedia::SanitizeOption, 4);
  EXPECT_EQ(option, ReinitializeMedia::MethodCryptoErase | ReinitializeMedia::DisallowUnrestrictedExit);
}

}  // namespace
}  // namespace trelvane
