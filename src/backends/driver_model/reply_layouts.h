#pragma once
// The reply bytes of the device-control requests, laid out exactly as the platform's structures lay
// them out (the offsets in the comment above each builder; the Windows layout-parity test compares
// the bytes with the platform headers' structures). Pure functions of the facts the emulated machine
// takes from its machine file.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trelvane {

// DISK_GEOMETRY (24 bytes) with the conventional 255 heads and 63 sectors per track.
std::array<std::uint8_t, 24> GeometryReply(std::uint32_t bytesPerSector, std::uint64_t lengthBytes,
                                           bool removable);

// GET_LENGTH_INFORMATION (8 bytes).
std::array<std::uint8_t, 8> LengthReply(std::uint64_t lengthBytes);

struct AdapterFacts {
  std::uint32_t maxTransferBytes = 0;
  std::uint32_t maxPhysicalPages = 0;
  std::uint32_t alignmentMask = 0;
  std::uint8_t busType = 0;
};

// STORAGE_ADAPTER_DESCRIPTOR (32 bytes).
std::array<std::uint8_t, 32> AdapterDescriptorReply(const AdapterFacts& facts);

// The strings of STORAGE_DEVICE_DESCRIPTOR, as bytes, before any swap the program applies.
struct DescriptorStrings {
  std::string vendor;
  std::string product;
  std::string revision;
  std::string serial;
};

// The header fields of STORAGE_DEVICE_DESCRIPTOR besides the sizes and string offsets. The emulated
// machine leaves deviceType and busType 0, as its machine file promises.
struct DeviceFacts {
  std::uint8_t deviceType = 0;  // SCSI peripheral device type, 0 = disk
  bool removable = false;
  std::uint8_t busType = 0;
};

// STORAGE_DEVICE_DESCRIPTOR: the 40-byte header, then vendor, product, revision and serial, each
// with its terminating zero; an empty string takes no room and has offset 0. Size counts header and
// strings, and the reply is exactly that long.
std::vector<std::uint8_t> DeviceDescriptorReply(const DescriptorStrings& strings, const DeviceFacts& facts);

// The fCapabilities bits of GETVERSIONINPARAMS.
namespace SmartCapability {
inline constexpr std::uint32_t AtaIdentify = 0x01;
inline constexpr std::uint32_t AtapiIdentify = 0x02;
inline constexpr std::uint32_t SmartCommands = 0x04;
}  // namespace SmartCapability

// GETVERSIONINPARAMS (24 bytes): version 1.1, the IDE device map and the capability bits.
std::array<std::uint8_t, 24> SmartVersionReply(std::uint8_t deviceMap, std::uint32_t capabilities);

// Where a logical unit sits: adapter (host), bus (channel, the PathId), target and logical unit.
struct ScsiAddress {
  std::uint32_t host = 0;
  std::uint32_t channel = 0;
  std::uint32_t target = 0;
  std::uint32_t lun = 0;
};

// SCSI_ADAPTER_BUS_INFO with one bus holding one logical unit, followed at byte 12 by its
// SCSI_INQUIRY_DATA record and the standard INQUIRY data (normally 36 bytes) at byte 24.
std::vector<std::uint8_t> InquiryDataReply(const ScsiAddress& address, std::span<const std::uint8_t> inquiry);

// Standard INQUIRY data (SPC-3, 36 bytes) of a direct-access device with these strings, for a backend
// that has no device to ask. The serial has no place in it.
std::array<std::uint8_t, 36> StandardInquiryData(const DescriptorStrings& strings, bool removable);

// STORAGE_DEVICE_NUMBER (12 bytes).
std::array<std::uint8_t, 12> DeviceNumberReply(std::uint32_t deviceType, std::uint32_t deviceNumber,
                                               std::uint32_t partitionNumber);

}  // namespace trelvane
