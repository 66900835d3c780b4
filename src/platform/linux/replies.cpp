#include "platform/linux/replies.h"

#include <algorithm>

#include "platform/bytes.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::uint32_t TracksPerCylinder = 255;
constexpr std::uint32_t SectorsPerTrack = 63;
constexpr std::uint32_t MediaFixed = 12;
constexpr std::uint32_t MediaRemovable = 11;
constexpr std::uint32_t DeviceDescriptorHeaderSize = 40;
constexpr std::uint32_t AdapterDescriptorSize = 32;
constexpr std::uint8_t InitiatorBusId = 7;
constexpr std::uint32_t InquiryRecordOffset = 12;
constexpr std::size_t InquiryDataOffset = 24;

}  // namespace

// DISK_GEOMETRY: Cylinders 0 (int64) | MediaType 8 | TracksPerCylinder 12 | SectorsPerTrack 16 |
// BytesPerSector 20.
std::array<std::uint8_t, 24> GeometryReply(std::uint32_t bytesPerSector, std::uint64_t lengthBytes,
                                           bool removable) {
  std::array<std::uint8_t, 24> reply{};
  const std::uint64_t cylinderBytes =
      static_cast<std::uint64_t>(TracksPerCylinder) * SectorsPerTrack * bytesPerSector;
  WriteU64LE(reply, 0, cylinderBytes == 0 ? 0 : lengthBytes / cylinderBytes);
  WriteU32LE(reply, 8, removable ? MediaRemovable : MediaFixed);
  WriteU32LE(reply, 12, TracksPerCylinder);
  WriteU32LE(reply, 16, SectorsPerTrack);
  WriteU32LE(reply, 20, bytesPerSector);
  return reply;
}

std::array<std::uint8_t, 8> LengthReply(std::uint64_t lengthBytes) {
  std::array<std::uint8_t, 8> reply{};
  WriteU64LE(reply, 0, lengthBytes);
  return reply;
}

// STORAGE_ADAPTER_DESCRIPTOR: Version 0 | Size 4 | MaximumTransferLength 8 | MaximumPhysicalPages 12 |
// AlignmentMask 16 | AdapterUsesPio 20, AdapterScansDown 21, CommandQueueing 22,
// AcceleratedTransfer 23 | BusType 24 (one byte) | BusMajorVersion 26 | BusMinorVersion 28 |
// SrbType 30 | AddressType 31.
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

// STORAGE_DEVICE_DESCRIPTOR: Version 0 | Size 4 | DeviceType 8 | DeviceTypeModifier 9 |
// RemovableMedia 10 | CommandQueueing 11 | VendorIdOffset 12 | ProductIdOffset 16 |
// ProductRevisionOffset 20 | SerialNumberOffset 24 | BusType 28 (4 bytes) | RawPropertiesLength 32 |
// RawDeviceProperties 36; the strings follow from byte 40.
std::vector<std::uint8_t> DeviceDescriptorReply(const DeviceStrings& strings, const DeviceFacts& facts) {
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

// GETVERSIONINPARAMS (pack 1): bVersion 0 | bRevision 1 | bReserved 2 | bIDEDeviceMap 3 |
// fCapabilities 4 (CAP_ATA_ID_CMD 1 | CAP_SMART_CMD 4) | dwReserved 8-23.
std::array<std::uint8_t, 24> SmartVersionReply(std::uint8_t deviceMap) {
  std::array<std::uint8_t, 24> reply{};
  reply[0] = 1;
  reply[1] = 1;
  reply[3] = deviceMap;
  WriteU32LE(reply, 4, 0x05);
  return reply;
}

// SCSI_ADAPTER_BUS_INFO: NumberOfBuses 0 | BusData[0] at 4: NumberOfLogicalUnits 4,
// InitiatorBusId 5, InquiryDataOffset 8. SCSI_INQUIRY_DATA at 12: PathId 12 | TargetId 13 | Lun 14 |
// DeviceClaimed 15 | InquiryDataLength 16 | NextInquiryDataOffset 20 | InquiryData 24.
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

// STORAGE_DEVICE_NUMBER: DeviceType 0 | DeviceNumber 4 | PartitionNumber 8.
std::array<std::uint8_t, 12> DeviceNumberReply(std::uint32_t deviceType, std::uint32_t deviceNumber,
                                               std::uint32_t partitionNumber) {
  std::array<std::uint8_t, 12> reply{};
  WriteU32LE(reply, 0, deviceType);
  WriteU32LE(reply, 4, deviceNumber);
  WriteU32LE(reply, 8, partitionNumber);
  return reply;
}

}  // namespace trelvane::linux_platform
