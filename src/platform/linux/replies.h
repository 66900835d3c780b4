#pragma once
// The reply bytes of the device-control requests, laid out exactly as the platform's structures
// (offsets as MinGW-w64's headers place them). Pure functions of the facts the backend gathered.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trelvane::linux_platform {

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

// The strings of STORAGE_DEVICE_DESCRIPTOR, as bytes. An empty string is left out (offset 0).
struct DeviceStrings {
  std::string vendor;
  std::string product;
  std::string revision;
  std::string serial;  // stored so that the program's byte-pair swap shows it right
};

struct DeviceFacts {
  std::uint8_t deviceType = 0;  // SCSI peripheral device type, 0 = disk
  bool removable = false;
  std::uint8_t busType = 0;
};

// STORAGE_DEVICE_DESCRIPTOR: the 40-byte header, then vendor, product, revision and serial, each
// with its terminating zero. Size counts header and strings.
std::vector<std::uint8_t> DeviceDescriptorReply(const DeviceStrings& strings, const DeviceFacts& facts);

// GETVERSIONINPARAMS (24 bytes): version 1.1, the IDE device map, IDENTIFY and SMART capable.
std::array<std::uint8_t, 24> SmartVersionReply(std::uint8_t deviceMap);

struct ScsiAddress {
  std::uint32_t host = 0;
  std::uint32_t channel = 0;
  std::uint32_t target = 0;
  std::uint32_t lun = 0;
};

// SCSI_ADAPTER_BUS_INFO with one bus holding one logical unit, followed at byte 12 by its
// SCSI_INQUIRY_DATA record and the standard INQUIRY data (normally 36 bytes) at byte 24.
std::vector<std::uint8_t> InquiryDataReply(const ScsiAddress& address, std::span<const std::uint8_t> inquiry);

// STORAGE_DEVICE_NUMBER (12 bytes).
std::array<std::uint8_t, 12> DeviceNumberReply(std::uint32_t deviceType, std::uint32_t deviceNumber,
                                               std::uint32_t partitionNumber);

}  // namespace trelvane::linux_platform
