#pragma once
// Sizes and byte offsets of the platform's device-control structures, as the program reads and builds
// them. The core never includes an OS header: it reads replies through platform/bytes.h at these
// offsets. The Windows build checks every number here against the compiler's own structures
// (tests/windows/layout_parity.cpp), so a wrong offset or a changed packing fails there.
//
// Offsets are from the start of the structure; sizes are what sizeof reports (x86_64 and x86 alike,
// since no member is pointer-sized). Structures marked (pack 1) are declared byte-packed.
//
//  Structure                   Size  Field                      Offset  Width
//  DISK_GEOMETRY                 24  Cylinders                       0  8
//                                    MediaType                       8  4
//                                    TracksPerCylinder              12  4
//                                    SectorsPerTrack                16  4
//                                    BytesPerSector                 20  4
//  GET_LENGTH_INFORMATION         8  Length                          0  8
//  STORAGE_PROPERTY_QUERY        12  PropertyId                      0  4  (device 0, adapter 1)
//                                    QueryType                       4  4  (standard 0)
//                                    AdditionalParameters            8  1
//  STORAGE_ADAPTER_DESCRIPTOR    32  Version                         0  4
//                                    Size                            4  4
//                                    MaximumTransferLength           8  4
//                                    MaximumPhysicalPages           12  4
//                                    AlignmentMask                  16  4
//                                    BusType                        24  1
//  STORAGE_DEVICE_DESCRIPTOR     40  Version                         0  4
//                                    Size                            4  4
//                                    DeviceType                      8  1
//                                    RemovableMedia                 10  1
//                                    VendorIdOffset                 12  4  (0 = no text)
//                                    ProductIdOffset                16  4
//                                    ProductRevisionOffset          20  4
//                                    SerialNumberOffset             24  4
//                                    BusType                        28  4
//  GETVERSIONINPARAMS (pack 1)   24  bVersion                        0  1
//                                    bRevision                       1  1
//                                    bIDEDeviceMap                   3  1
//                                    fCapabilities                   4  4
//  IDEREGS (pack 1)               8  bFeaturesReg .. bCommandReg  0 .. 6  1 each
//  SENDCMDINPARAMS (pack 1)      33  cBufferSize                     0  4
//                                    irDriveRegs                     4  8  (IDEREGS)
//                                    bDriveNumber                   12  1
//                                    bBuffer                        32  -
//  DRIVERSTATUS (pack 1)         12  bDriverError                    0  1
//                                    bIDEError                       1  1
//  SENDCMDOUTPARAMS (pack 1)     17  cBufferSize                     0  4
//                                    DriverStatus                    4  12
//                                    bBuffer                        16  -
//  SRB_IO_CONTROL                28  HeaderLength                    0  4
//                                    Signature                       4  8
//                                    Timeout                        12  4
//                                    ControlCode                    16  4
//                                    ReturnCode                     20  4
//                                    Length                         24  4
//  SCSI_ADAPTER_BUS_INFO         12  NumberOfBuses                   0  1
//                                    BusData (8 bytes each)          4  -
//  SCSI_BUS_DATA                  8  NumberOfLogicalUnits            0  1
//                                    InitiatorBusId                  1  1
//                                    InquiryDataOffset               4  4
//  SCSI_INQUIRY_DATA             16  PathId                          0  1
//                                    TargetId                        1  1
//                                    Lun                             2  1
//                                    DeviceClaimed                   3  1
//                                    InquiryDataLength               4  4
//                                    NextInquiryDataOffset           8  4
//                                    InquiryData                    12  -
//  STORAGE_DEVICE_NUMBER         12  DeviceType                      0  4
//                                    DeviceNumber                    4  4
//                                    PartitionNumber                 8  4
//  OSVERSIONINFOW               276  dwOSVersionInfoSize             0  4
//                                    dwMajorVersion                  4  4
//                                    dwMinorVersion                  8  4
//                                    dwBuildNumber                  12  4
//                                    dwPlatformId                   16  4
//                                    szCSDVersion                   20  256 (128 UTF-16 units)

#include <cstddef>

namespace trelvane::WireLayout {

inline constexpr std::size_t DiskGeometrySize = 24;
inline constexpr std::size_t DiskGeometryCylinders = 0;
inline constexpr std::size_t DiskGeometryMediaType = 8;
inline constexpr std::size_t DiskGeometryTracksPerCylinder = 12;
inline constexpr std::size_t DiskGeometrySectorsPerTrack = 16;
inline constexpr std::size_t DiskGeometryBytesPerSector = 20;

inline constexpr std::size_t LengthInformationSize = 8;
inline constexpr std::size_t LengthInformationLength = 0;

inline constexpr std::size_t StoragePropertyQuerySize = 12;
inline constexpr std::size_t StoragePropertyQueryPropertyId = 0;
inline constexpr std::size_t StoragePropertyQueryQueryType = 4;
inline constexpr std::size_t StoragePropertyQueryAdditionalParameters = 8;

inline constexpr std::size_t StorageAdapterDescriptorSize = 32;
inline constexpr std::size_t StorageAdapterDescriptorVersion = 0;
inline constexpr std::size_t StorageAdapterDescriptorSizeField = 4;
inline constexpr std::size_t StorageAdapterDescriptorMaximumTransferLength = 8;
inline constexpr std::size_t StorageAdapterDescriptorMaximumPhysicalPages = 12;
inline constexpr std::size_t StorageAdapterDescriptorAlignmentMask = 16;
inline constexpr std::size_t StorageAdapterDescriptorBusType = 24;

inline constexpr std::size_t StorageDeviceDescriptorSize = 40;
inline constexpr std::size_t StorageDeviceDescriptorVersion = 0;
inline constexpr std::size_t StorageDeviceDescriptorSizeField = 4;
inline constexpr std::size_t StorageDeviceDescriptorDeviceType = 8;
inline constexpr std::size_t StorageDeviceDescriptorRemovableMedia = 10;
inline constexpr std::size_t StorageDeviceDescriptorVendorIdOffset = 12;
inline constexpr std::size_t StorageDeviceDescriptorProductIdOffset = 16;
inline constexpr std::size_t StorageDeviceDescriptorProductRevisionOffset = 20;
inline constexpr std::size_t StorageDeviceDescriptorSerialNumberOffset = 24;
inline constexpr std::size_t StorageDeviceDescriptorBusType = 28;

inline constexpr std::size_t GetVersionInParamsSize = 24;
inline constexpr std::size_t GetVersionInParamsVersion = 0;
inline constexpr std::size_t GetVersionInParamsRevision = 1;
inline constexpr std::size_t GetVersionInParamsIdeDeviceMap = 3;
inline constexpr std::size_t GetVersionInParamsCapabilities = 4;

inline constexpr std::size_t IdeRegsSize = 8;
inline constexpr std::size_t IdeRegsFeatures = 0;
inline constexpr std::size_t IdeRegsSectorCount = 1;
inline constexpr std::size_t IdeRegsSectorNumber = 2;
inline constexpr std::size_t IdeRegsCylLow = 3;
inline constexpr std::size_t IdeRegsCylHigh = 4;
inline constexpr std::size_t IdeRegsDriveHead = 5;
inline constexpr std::size_t IdeRegsCommand = 6;

inline constexpr std::size_t SendCmdInParamsSize = 33;
inline constexpr std::size_t SendCmdInParamsBufferSize = 0;
inline constexpr std::size_t SendCmdInParamsDriveRegs = 4;
inline constexpr std::size_t SendCmdInParamsDriveNumber = 12;
inline constexpr std::size_t SendCmdInParamsBuffer = 32;

inline constexpr std::size_t DriverStatusSize = 12;
inline constexpr std::size_t DriverStatusDriverError = 0;
inline constexpr std::size_t DriverStatusIdeError = 1;

inline constexpr std::size_t SendCmdOutParamsSize = 17;
inline constexpr std::size_t SendCmdOutParamsBufferSize = 0;
inline constexpr std::size_t SendCmdOutParamsDriverStatus = 4;
inline constexpr std::size_t SendCmdOutParamsBuffer = 16;

inline constexpr std::size_t SrbIoControlSize = 28;
inline constexpr std::size_t SrbIoControlHeaderLength = 0;
inline constexpr std::size_t SrbIoControlSignature = 4;
inline constexpr std::size_t SrbIoControlSignatureLength = 8;
inline constexpr std::size_t SrbIoControlTimeout = 12;
inline constexpr std::size_t SrbIoControlControlCode = 16;
inline constexpr std::size_t SrbIoControlReturnCode = 20;
inline constexpr std::size_t SrbIoControlLength = 24;

inline constexpr std::size_t ScsiAdapterBusInfoSize = 12;
inline constexpr std::size_t ScsiAdapterBusInfoNumberOfBuses = 0;
inline constexpr std::size_t ScsiAdapterBusInfoBusData = 4;
inline constexpr std::size_t ScsiBusDataSize = 8;
inline constexpr std::size_t ScsiBusDataNumberOfLogicalUnits = 0;
inline constexpr std::size_t ScsiBusDataInitiatorBusId = 1;
inline constexpr std::size_t ScsiBusDataInquiryDataOffset = 4;
inline constexpr std::size_t ScsiInquiryDataSize = 16;
inline constexpr std::size_t ScsiInquiryDataPathId = 0;
inline constexpr std::size_t ScsiInquiryDataTargetId = 1;
inline constexpr std::size_t ScsiInquiryDataLun = 2;
inline constexpr std::size_t ScsiInquiryDataDeviceClaimed = 3;
inline constexpr std::size_t ScsiInquiryDataInquiryDataLength = 4;
inline constexpr std::size_t ScsiInquiryDataNextInquiryDataOffset = 8;
inline constexpr std::size_t ScsiInquiryDataInquiryData = 12;

inline constexpr std::size_t StorageDeviceNumberSize = 12;
inline constexpr std::size_t StorageDeviceNumberDeviceType = 0;
inline constexpr std::size_t StorageDeviceNumberDeviceNumber = 4;
inline constexpr std::size_t StorageDeviceNumberPartitionNumber = 8;

inline constexpr std::size_t OsVersionInfoSize = 276;
inline constexpr std::size_t OsVersionInfoSizeField = 0;
inline constexpr std::size_t OsVersionInfoMajorVersion = 4;
inline constexpr std::size_t OsVersionInfoMinorVersion = 8;
inline constexpr std::size_t OsVersionInfoBuildNumber = 12;
inline constexpr std::size_t OsVersionInfoPlatformId = 16;
inline constexpr std::size_t OsVersionInfoCsdVersion = 20;
inline constexpr std::size_t OsVersionInfoCsdVersionUnits = 128;

}  // namespace trelvane::WireLayout
