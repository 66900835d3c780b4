#include "backends/driver_model/reply_layouts.h"

#include <algorithm>

#include "os/bytes.h"

namespace trelvane {

namespace {

constexpr std::uint32_t TracksPerCylinder = 255;
constexpr std::uint32_t SectorsPerTrack = 63;
constexpr std::uint32_t MediaFixed = 12;
constexpr std::uint32_t MediaRemovable = 11;
constexpr std::uint32_t AdapterDescriptorSize = 32;
constexpr std::uint32_t DeviceDescriptorHeaderSize = 40;
constexpr std::uint8_t InitiatorBusId = 7;
constexpr std::uint32_t InquiryRecordOffset = 12;
constexpr std::size_t InquiryDataOffset = 24;

// Writes `text` at `offset`, cut or padded with blanks to `width` (an INQUIRY text field).
void PutPadded(std::span<std::uint8_t> bytes, std::size_t offset, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    bytes[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '};
}

}  // namespace

// DISK_GEOMETRY, 24 bytes:
//   0  Cylinders (int64)        length / (255 * 63 * BytesPerSector); 0 when BytesPerSector is 0
//   8  MediaType (u32)          12 fixed, 11 removable
//  12  TracksPerCylinder (u32)  255
//  16  SectorsPerTrack (u32)    63
//  20  BytesPerSector (u32)
std::array<std::uint8_t, 24> GeometryReply(std::uint32_t bytesPerSector, std::uint64_t lengthBytes,
                                           bool removable) {
  std::array<std::uint8_t, 24> reply{};
  const std::uint64_t cylinderBytes = std::uint64_t{TracksPerCylinder} * SectorsPerTrack * bytesPerSector;
  WriteU64LE(reply, 0, cylinderBytes == 0 ? 0 : lengthBytes / cylinderBytes);
  WriteU32LE(reply, 8, removable ? MediaRemovable : MediaFixed);
  WriteU32LE(reply, 12, TracksPerCylinder);
  WriteU32LE(reply, 16, SectorsPerTrack);
  WriteU32LE(reply, 20, bytesPerSector);
  return reply;
}

// GET_LENGTH_INFORMATION, 8 bytes:
//   0  Length (int64)
std::array<std::uint8_t, 8> LengthReply(std::uint64_t lengthBytes) {
  std::array<std::uint8_t, 8> reply{};
  WriteU64LE(reply, 0, lengthBytes);
  return reply;
}

// STORAGE_ADAPTER_DESCRIPTOR, 32 bytes:
//   0  Version (u32)                32
//   4  Size (u32)                   32
//   8  MaximumTransferLength (u32)
//  12  MaximumPhysicalPages (u32)
//  16  AlignmentMask (u32)
//  20  AdapterUsesPio, 21 AdapterScansDown, 22 CommandQueueing, 23 AcceleratedTransfer: 0
//  24  BusType (1 byte)
//  26  BusMajorVersion (u16) 0,  28 BusMinorVersion (u16) 0,  30 SrbType 0,  31 AddressType 0
std::array<std::uint8_t, 32> AdapterDescriptorReply(const AdapterFacts& facts) {
  std::array<std::uint8_t, 32> reply{};
  WriteU32LE(reply, 0, AdapterDescriptorSize);
  WriteU32LE(reply, 4, AdapterDescriptorSize);
  WriteU32LE(reply, 8, facts.maxTransferBytes);
  WriteU32LE(reply, 12, facts.maxPhysicalPages);
  WriteU32LE(reply, 16, facts.alignmentMask);
  reply[24] = facts.busType;
  return reply;
}

// STORAGE_DEVICE_DESCRIPTOR, 40-byte header and the strings:
//   0  Version (u32)                40
//   4  Size (u32)                   40 + the strings with their zeros
//   8  DeviceType                   9  DeviceTypeModifier 0
//  10  RemovableMedia 0/1          11  CommandQueueing 0
//  12  VendorIdOffset (u32)        16  ProductIdOffset (u32)
//  20  ProductRevisionOffset (u32) 24  SerialNumberOffset (u32)     (0 = no such string)
//  28  BusType (u32)
//  32  RawPropertiesLength (u32) 0 36  RawDeviceProperties 0
//  40  vendor, product, revision, serial, each followed by one zero
std::vector<std::uint8_t> DeviceDescriptorReply(const DescriptorStrings& strings, const DeviceFacts& facts) {
  std::vector<std::uint8_t> reply(DeviceDescriptorHeaderSize, 0);
  const auto append = [&reply](const std::string& text, std::size_t offsetField) {
    if (text.empty()) return;
    WriteU32LE(reply, offsetField, static_cast<std::uint32_t>(reply.size()));
    reply.insert(reply.end(), text.begin(), text.end());
    reply.push_back(0);
  };
  append(strings.vendor, 12);
  append(strings.product, 16);
  append(strings.revision, 20);
  append(strings.serial, 24);
  WriteU32LE(reply, 0, DeviceDescriptorHeaderSize);
  WriteU32LE(reply, 4, static_cast<std::uint32_t>(reply.size()));
  reply[8] = facts.deviceType;
  reply[10] = facts.removable ? 1 : 0;
  WriteU32LE(reply, 28, facts.busType);
  return reply;
}

// GETVERSIONINPARAMS (pack 1), 24 bytes:
//   0  bVersion 1      1  bRevision 1      2  bReserved 0      3  bIDEDeviceMap
//   4  fCapabilities (u32): SmartCapability bits
//   8  dwReserved[4] 0
std::array<std::uint8_t, 24> SmartVersionReply(std::uint8_t deviceMap, std::uint32_t capabilities) {
  std::array<std::uint8_t, 24> reply{};
  reply[0] = 1;
  reply[1] = 1;
  reply[3] = deviceMap;
  WriteU32LE(reply, 4, capabilities);
  return reply;
}

// SCSI_ADAPTER_BUS_INFO with one bus, then that bus's one SCSI_INQUIRY_DATA record:
//   0  NumberOfBuses 1
//   4  BusData[0]: 4 NumberOfLogicalUnits 1, 5 InitiatorBusId 7, 8 InquiryDataOffset (u32) 12
//  12  PathId (channel)   13  TargetId   14  Lun   15  DeviceClaimed 1
//  16  InquiryDataLength (u32)           20  NextInquiryDataOffset (u32) 0
//  24  InquiryData
// The host has no place in it: the reply answers for one adapter.
std::vector<std::uint8_t> InquiryDataReply(const ScsiAddress& address, std::span<const std::uint8_t> inquiry) {
  std::vector<std::uint8_t> reply(InquiryDataOffset + inquiry.size(), 0);
  reply[0] = 1;
  reply[4] = 1;
  reply[5] = InitiatorBusId;
  WriteU32LE(reply, 8, InquiryRecordOffset);
  reply[12] = static_cast<std::uint8_t>(address.channel);
  reply[13] = static_cast<std::uint8_t>(address.target);
  reply[14] = static_cast<std::uint8_t>(address.lun);
  reply[15] = 1;
  WriteU32LE(reply, 16, static_cast<std::uint32_t>(inquiry.size()));
  std::copy(inquiry.begin(), inquiry.end(), reply.begin() + static_cast<std::ptrdiff_t>(InquiryDataOffset));
  return reply;
}

// Standard INQUIRY data (SPC-3), 36 bytes:
//   0  peripheral qualifier 0, device type 0 (direct access)
//   1  RMB (bit 7): removable medium
//   2  VERSION 5 (SPC-3)    3  response data format 2    4  additional length 31
//   5..7  0
//   8  vendor (8)   16  product (16)   32  revision (4): cut to width, padded with blanks
std::array<std::uint8_t, 36> StandardInquiryData(const DescriptorStrings& strings, bool removable) {
  std::array<std::uint8_t, 36> inquiry{};
  inquiry[1] = removable ? 0x80 : 0x00;
  inquiry[2] = 5;
  inquiry[3] = 2;
  inquiry[4] = 31;
  PutPadded(inquiry, 8, strings.vendor, 8);
  PutPadded(inquiry, 16, strings.product, 16);
  PutPadded(inquiry, 32, strings.revision, 4);
  return inquiry;
}

// STORAGE_DEVICE_NUMBER, 12 bytes:
//   0  DeviceType (u32)     4  DeviceNumber (u32)     8  PartitionNumber (u32)
std::array<std::uint8_t, 12> DeviceNumberReply(std::uint32_t deviceType, std::uint32_t deviceNumber,
                                               std::uint32_t partitionNumber) {
  std::array<std::uint8_t, 12> reply{};
  WriteU32LE(reply, 0, deviceType);
  WriteU32LE(reply, 4, deviceNumber);
  WriteU32LE(reply, 8, partitionNumber);
  return reply;
}

}  // namespace trelvane
