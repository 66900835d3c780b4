#include "platform/emulated/device_replies.h"

#include <algorithm>
#include <string>

#include "platform/bytes.h"

namespace trelvane::emulated {

namespace {

constexpr std::uint32_t FixedMedia = 12;
constexpr std::uint32_t RemovableMedia = 11;
constexpr std::uint32_t TracksPerCylinder = 255;
constexpr std::uint32_t SectorsPerTrack = 63;

// Writes `text` at `offset`, padded with blanks to `width` (an INQUIRY text field).
void PutPadded(std::span<std::uint8_t> bytes, std::size_t offset, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    bytes[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '};
}

}  // namespace

// DISK_GEOMETRY, 24 bytes:
//   0  Cylinders (int64)      length / (255 * 63 * bytes per sector)
//   8  MediaType (u32)        12 fixed, 11 removable
//  12  TracksPerCylinder      255
//  16  SectorsPerTrack        63
//  20  BytesPerSector (u32)
std::array<std::uint8_t, 24> GeometryReply(const DriveConfig& drive) {
  std::array<std::uint8_t, 24> reply{};
  const std::int64_t cylinderBytes = std::int64_t{TracksPerCylinder} * SectorsPerTrack * drive.sectorSize;
  const std::int64_t cylinders = cylinderBytes == 0 ? 0 : drive.lengthBytes / cylinderBytes;
  WriteU64LE(reply, 0, static_cast<std::uint64_t>(cylinders));
  WriteU32LE(reply, 8, drive.strings.removable ? RemovableMedia : FixedMedia);
  WriteU32LE(reply, 12, TracksPerCylinder);
  WriteU32LE(reply, 16, SectorsPerTrack);
  WriteU32LE(reply, 20, drive.sectorSize);
  return reply;
}

// GET_LENGTH_INFORMATION, 8 bytes: Length (int64) at 0.
std::array<std::uint8_t, 8> LengthReply(const DriveConfig& drive) {
  std::array<std::uint8_t, 8> reply{};
  WriteU64LE(reply, 0, static_cast<std::uint64_t>(drive.lengthBytes));
  return reply;
}

// STORAGE_ADAPTER_DESCRIPTOR, 32 bytes:
//   0  Version 32            4  Size 32
//   8  MaximumTransferLength 12  MaximumPhysicalPages (4 KiB pages of one largest transfer)
//  16  AlignmentMask 1 (word-aligned buffers, as ATA controllers ask)
//  20  AdapterUsesPio, AdapterScansDown, CommandQueueing, AcceleratedTransfer: 0
//  24  BusType (1 byte)     26  BusMajorVersion 0   28  BusMinorVersion 0
//  30  SrbType 0            31  AddressType 0
std::array<std::uint8_t, 32> AdapterReply(const DriveConfig& drive) {
  std::array<std::uint8_t, 32> reply{};
  WriteU32LE(reply, 0, 32);
  WriteU32LE(reply, 4, 32);
  WriteU32LE(reply, 8, drive.maxTransfer);
  WriteU32LE(reply, 12, drive.maxTransfer / 4096);
  WriteU32LE(reply, 16, 1);
  reply[24] = drive.busType;
  return reply;
}

// STORAGE_DEVICE_DESCRIPTOR in a 512-byte answer:
//   0  Version 40            4  Size = 40 + the strings with their zeros
//   8  DeviceType 0          9  DeviceTypeModifier 0
//  10  RemovableMedia 0/1   11  CommandQueueing 0
//  12  VendorIdOffset       16  ProductIdOffset   20  ProductRevisionOffset   24  SerialNumberOffset
//  28  BusType 0            32  RawPropertiesLength 0
//  40  vendor, product, revision, serial, each followed by one zero; an empty string takes no room
//      and has offset 0. The rest of the 512 bytes is zero.
std::optional<DeviceDescriptor> BuildDeviceDescriptor(const DeviceStrings& strings) {
  DeviceDescriptor descriptor;
  Block& bytes = descriptor.bytes;
  const std::string* texts[] = {&strings.vendor, &strings.product, &strings.revision, &strings.serial};
  std::size_t next = 40;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string& text = *texts[i];
    if (text.empty()) continue;
    if (next + text.size() + 1 > bytes.size()) return std::nullopt;
    WriteU32LE(bytes, 12 + 4 * i, static_cast<std::uint32_t>(next));
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(next));
    next += text.size() + 1;
  }
  descriptor.size = static_cast<std::uint32_t>(next);
  WriteU32LE(bytes, 0, 40);
  WriteU32LE(bytes, 4, descriptor.size);
  bytes[10] = strings.removable ? 1 : 0;
  return descriptor;
}

// GETVERSIONINPARAMS, 24 bytes:
//   0  bVersion 1   1  bRevision 1   2  bReserved 0   3  bIDEDeviceMap
//   4  fCapabilities 7 (ATA IDENTIFY, ATAPI IDENTIFY, SMART commands)   8  dwReserved[4] 0
std::array<std::uint8_t, 24> SmartVersionReply(std::uint8_t deviceMap) {
  std::array<std::uint8_t, 24> reply{};
  reply[0] = 1;
  reply[1] = 1;
  reply[3] = deviceMap;
  WriteU32LE(reply, 4, 7);
  return reply;
}

// SCSI_ADAPTER_BUS_INFO with one bus, then that bus's one SCSI_INQUIRY_DATA record:
//   0  NumberOfBuses 1
//   4  BusData[0]: NumberOfLogicalUnits 1 (4), InitiatorBusId 7 (5), InquiryDataOffset 12 (8)
//  12  PathId 0   13  TargetId   14  Lun 0   15  DeviceClaimed 1
//  16  InquiryDataLength 36      20  NextInquiryDataOffset 0
//  24  standard INQUIRY data, 36 bytes: direct-access device, removable bit, SPC-3, response
//      format 2, additional length 31, vendor (8), product (16) and revision (4) padded with blanks.
std::array<std::uint8_t, 60> InquiryDataReply(std::uint8_t targetId, const DeviceStrings& strings) {
  std::array<std::uint8_t, 60> reply{};
  reply[0] = 1;
  reply[4] = 1;
  reply[5] = 7;
  WriteU32LE(reply, 8, 12);
  reply[13] = targetId;
  reply[15] = 1;
  WriteU32LE(reply, 16, 36);
  const std::span<std::uint8_t> inquiry = std::span(reply).subspan(24);
  inquiry[1] = strings.removable ? 0x80 : 0x00;
  inquiry[2] = 5;
  inquiry[3] = 2;
  inquiry[4] = 31;
  PutPadded(inquiry, 8, strings.vendor.substr(0, 8), 8);
  PutPadded(inquiry, 16, strings.product.substr(0, 16), 16);
  PutPadded(inquiry, 32, strings.revision.substr(0, 4), 4);
  return reply;
}

// STORAGE_DEVICE_NUMBER, 12 bytes: DeviceType 0, DeviceNumber 4, PartitionNumber 8.
std::array<std::uint8_t, 12> DeviceNumberReply(std::uint32_t deviceType, std::uint32_t deviceNumber,
                                               std::uint32_t partition) {
  std::array<std::uint8_t, 12> reply{};
  WriteU32LE(reply, 0, deviceType);
  WriteU32LE(reply, 4, deviceNumber);
  WriteU32LE(reply, 8, partition);
  return reply;
}

std::uint32_t CopyReply(std::span<std::uint8_t> out, std::span<const std::uint8_t> reply) {
  const std::size_t count = std::min(out.size(), reply.size());
  std::copy_n(reply.begin(), count, out.begin());
  return static_cast<std::uint32_t>(count);
}

}  // namespace trelvane::emulated
