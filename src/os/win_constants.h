#pragma once
// Numbers of the platform interface: access rights, share modes, request codes and error codes.
// PascalCase names, because the platform's own headers define the upper-case ones as macros.

#include <cstdint>

namespace trelvane {

namespace Access {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t GenericRead = 0x80000000u;
inline constexpr std::uint32_t GenericWrite = 0x40000000u;
}  // namespace Access

namespace Share {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Read = 1;
inline constexpr std::uint32_t Write = 2;
inline constexpr std::uint32_t ReadWrite = Read | Write;
}  // namespace Share

// Device-control request codes.
namespace Ioctl {
inline constexpr std::uint32_t DiskGetDriveGeometry = 0x00070000;
inline constexpr std::uint32_t DiskGetLengthInfo = 0x0007405C;
inline constexpr std::uint32_t StorageQueryProperty = 0x002D1400;
inline constexpr std::uint32_t SmartGetVersion = 0x00074080;
inline constexpr std::uint32_t ScsiGetInquiryData = 0x0004100C;
inline constexpr std::uint32_t SmartSendDriveCommand = 0x0007C084;
inline constexpr std::uint32_t SmartRcvDriveData = 0x0007C088;
inline constexpr std::uint32_t ScsiMiniport = 0x0004D008;
inline constexpr std::uint32_t ScsiMiniportIdentify = 0x001B0501;  // carried inside SRB_IO_CONTROL
inline constexpr std::uint32_t StorageGetDeviceNumber = 0x002D1080;
inline constexpr std::uint32_t FsctlLockVolume = 0x00090018;
inline constexpr std::uint32_t FsctlDismountVolume = 0x00090020;
inline constexpr std::uint32_t FsctlUnlockVolume = 0x0009001C;
inline constexpr std::uint32_t FsctlAllowExtendedDasdIo = 0x00090083;
inline constexpr std::uint32_t DiskUpdateProperties = 0x00070140;
inline constexpr std::uint32_t DiskIsWritable = 0x00070024;
inline constexpr std::uint32_t AtaPassThrough = 0x0004D02C;            // IOCTL_ATA_PASS_THROUGH
inline constexpr std::uint32_t StorageReinitializeMedia = 0x002D9640;  // IOCTL_STORAGE_REINITIALIZE_MEDIA
}  // namespace Ioctl

// ATA_PASS_THROUGH_EX of a 64-bit program (DataBufferOffset is a ULONG_PTR, so the task files sit
// at 32 and 40), followed in one buffer by the command's data at DataBufferOffset.
namespace AtaPassThroughLayout {
inline constexpr std::uint32_t Length = 0;              // USHORT, the structure's size
inline constexpr std::uint32_t Flags = 2;               // USHORT AtaFlags
inline constexpr std::uint32_t DataTransferLength = 8;  // ULONG
inline constexpr std::uint32_t TimeOutValue = 12;       // ULONG, seconds
inline constexpr std::uint32_t DataBufferOffset = 24;   // ULONG_PTR
inline constexpr std::uint32_t PreviousTaskFile = 32;   // UCHAR[8]: the high bytes of a 48-bit command
inline constexpr std::uint32_t CurrentTaskFile = 40;    // UCHAR[8]
inline constexpr std::uint32_t Bytes = 48;
// AtaFlags.
inline constexpr std::uint16_t DrdyRequired = 0x01;
inline constexpr std::uint16_t DataIn = 0x02;
inline constexpr std::uint16_t DataOut = 0x04;
inline constexpr std::uint16_t Command48Bit = 0x08;
// The task file, in and out: in, 0 features / out, 0 error; 1 count; 2, 3, 4 LBA low, mid, high;
// 5 device; in, 6 command / out, 6 status.
inline constexpr std::uint32_t TaskFeaturesOrError = 0;
inline constexpr std::uint32_t TaskCount = 1;
inline constexpr std::uint32_t TaskLbaLow = 2;
inline constexpr std::uint32_t TaskDevice = 5;
inline constexpr std::uint32_t TaskCommandOrStatus = 6;
}  // namespace AtaPassThroughLayout

// STORAGE_REINITIALIZE_MEDIA: Version and Size (both 16), TimeoutInSeconds, then SanitizeOption with
// SanitizeMethod in bits 3:0 and DisallowUnrestrictedSanitizeExit in bit 4.
namespace ReinitializeMedia {
inline constexpr std::uint32_t Bytes = 16;
inline constexpr std::uint32_t Timeout = 8;
inline constexpr std::uint32_t SanitizeOption = 12;
inline constexpr std::uint32_t MethodBlockErase = 1;   // StorageSanitizeMethodBlockErase
inline constexpr std::uint32_t MethodCryptoErase = 2;  // StorageSanitizeMethodCryptoErase
inline constexpr std::uint32_t DisallowUnrestrictedExit = 1u << 4;
}  // namespace ReinitializeMedia

// The platform's error codes that the program and its backends use.
namespace ErrorCode {
inline constexpr std::uint32_t Success = 0;
inline constexpr std::uint32_t InvalidFunction = 1;
inline constexpr std::uint32_t FileNotFound = 2;
inline constexpr std::uint32_t PathNotFound = 3;
inline constexpr std::uint32_t AccessDenied = 5;
inline constexpr std::uint32_t InvalidHandle = 6;
inline constexpr std::uint32_t NotEnoughMemory = 8;
inline constexpr std::uint32_t WriteProtect = 19;
inline constexpr std::uint32_t NotReady = 21;
inline constexpr std::uint32_t Crc = 23;
inline constexpr std::uint32_t SectorNotFound = 27;
inline constexpr std::uint32_t WriteFault = 29;
inline constexpr std::uint32_t ReadFault = 30;
inline constexpr std::uint32_t GenFailure = 31;
inline constexpr std::uint32_t SharingViolation = 32;
inline constexpr std::uint32_t LockViolation = 33;
inline constexpr std::uint32_t HandleEof = 38;
inline constexpr std::uint32_t NotSupported = 50;
inline constexpr std::uint32_t DevNotExist = 55;
inline constexpr std::uint32_t InvalidParameter = 87;
inline constexpr std::uint32_t InsufficientBuffer = 122;
inline constexpr std::uint32_t ModuleNotFound = 126;
inline constexpr std::uint32_t ProcNotFound = 127;
inline constexpr std::uint32_t NegativeSeek = 131;
inline constexpr std::uint32_t NotLocked = 158;
inline constexpr std::uint32_t SemTimeout = 121;
inline constexpr std::uint32_t Busy = 170;
inline constexpr std::uint32_t MediaChanged = 1110;
inline constexpr std::uint32_t IoDevice = 1117;
inline constexpr std::uint32_t DeviceNotConnected = 1167;
}  // namespace ErrorCode

// Storage property query ids (STORAGE_PROPERTY_QUERY.PropertyId).
namespace StorageProperty {
inline constexpr std::uint32_t Device = 0;
inline constexpr std::uint32_t Adapter = 1;
inline constexpr std::uint32_t AdapterProtocolSpecific = 49;  // the controller's protocol data
inline constexpr std::uint32_t DeviceProtocolSpecific = 50;   // the disk's (namespace's) protocol data
}  // namespace StorageProperty

// The protocol-specific storage query: STORAGE_PROTOCOL_SPECIFIC_DATA sits in the query's
// AdditionalParameters (byte 8) and again in the reply's STORAGE_PROTOCOL_DATA_DESCRIPTOR (byte 8);
// the protocol data follows it at ProtocolDataOffset, counted from its own start.
namespace StorageProtocol {
inline constexpr std::uint32_t TypeNvme = 3;            // ProtocolTypeNvme
inline constexpr std::uint32_t NvmeDataIdentify = 1;    // NVMeDataTypeIdentify
inline constexpr std::uint32_t NvmeDataLogPage = 2;     // NVMeDataTypeLogPage
inline constexpr std::uint32_t QueryHeaderBytes = 8;    // STORAGE_PROPERTY_QUERY up to AdditionalParameters
inline constexpr std::uint32_t SpecificDataBytes = 40;  // sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA)
inline constexpr std::uint32_t DataDescriptorBytes = 48;  // sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR)
}  // namespace StorageProtocol

// The NVMe admin data the program asks for: the Identify CNS values and the log page id.
namespace NvmeData {
inline constexpr std::uint32_t IdentifyNamespace = 0;   // CNS 00h
inline constexpr std::uint32_t IdentifyController = 1;  // CNS 01h
inline constexpr std::uint32_t ActiveNamespaceList = 2; // CNS 02h: the active namespace ids, ascending
inline constexpr std::uint32_t HealthLog = 2;           // SMART / Health Information, log 02h
inline constexpr std::uint32_t SanitizeLog = 0x81;      // Sanitize Status, log 81h
inline constexpr std::uint32_t SanitizeLogBytes = 512;
inline constexpr std::uint32_t IdentifyBytes = 4096;
inline constexpr std::uint32_t HealthLogBytes = 512;
inline constexpr std::uint32_t AllNamespaces = 0xFFFFFFFFu;
}  // namespace NvmeData

inline constexpr std::uint8_t BusTypeAta = 3;           // STORAGE_BUS_TYPE BusTypeAta
inline constexpr std::uint8_t BusTypeNvme = 17;          // STORAGE_BUS_TYPE BusTypeNvme

inline constexpr std::uint32_t FileDeviceDisk = 7;       // STORAGE_DEVICE_NUMBER.DeviceType of a disk
inline constexpr std::uint32_t PlatformWin32Nt = 2;      // OSVERSIONINFOW.dwPlatformId of the NT family
inline constexpr int ShowCommandShow = 5;                // SW_SHOW
inline constexpr int ShowCommandShowNormal = 1;          // SW_SHOWNORMAL

}  // namespace trelvane
