#pragma once
// The fixed-layout answers of an emulated drive or volume, byte for byte as the platform's structures
// lay them out. Pure functions of the machine description; the request dispatch decides when to send
// them and how many bytes the caller gets.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/emulated/machine.h"

namespace trelvane::emulated {

std::array<std::uint8_t, 24> GeometryReply(const DriveConfig& drive);
std::array<std::uint8_t, 8> LengthReply(const DriveConfig& drive);
std::array<std::uint8_t, 32> AdapterReply(const DriveConfig& drive);
// The 512-byte STORAGE_DEVICE_DESCRIPTOR answer and its Size field; nullopt when the strings do not
// fit in 512 bytes.
struct DeviceDescriptor {
  Block bytes{};
  std::uint32_t size = 0;
};
std::optional<DeviceDescriptor> BuildDeviceDescriptor(const DeviceStrings& strings);
std::array<std::uint8_t, 24> SmartVersionReply(std::uint8_t deviceMap);
std::array<std::uint8_t, 60> InquiryDataReply(std::uint8_t targetId, const DeviceStrings& strings);
std::array<std::uint8_t, 12> DeviceNumberReply(std::uint32_t deviceType, std::uint32_t deviceNumber,
                                               std::uint32_t partition);

// Copies as much of `reply` as `out` holds; returns the count copied.
std::uint32_t CopyReply(std::span<std::uint8_t> out, std::span<const std::uint8_t> reply);

}  // namespace trelvane::emulated
