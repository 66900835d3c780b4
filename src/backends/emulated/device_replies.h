#pragma once
// What an emulated drive makes of the shared reply layouts (backends/driver_model/reply_layouts.h): the facts come
// from its machine file; the layouts are the core's. The request dispatch decides when to send them
// and how many bytes the caller gets.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "backends/emulated/machine.h"
#include "backends/driver_model/reply_layouts.h"

namespace trelvane::emulated {

// The 512-byte STORAGE_DEVICE_DESCRIPTOR answer and its Size field; nullopt when the strings do not
// fit in 512 bytes. DeviceType and BusType stay 0, as the machine file promises.
struct DeviceDescriptor {
  Block bytes{};
  std::uint32_t size = 0;
};
std::optional<DeviceDescriptor> BuildDeviceDescriptor(const DeviceStrings& strings);

std::array<std::uint8_t, 24> DriveGeometryReply(const DriveConfig& drive);
std::array<std::uint8_t, 8> DriveLengthReply(const DriveConfig& drive);
std::array<std::uint8_t, 32> DriveAdapterReply(const DriveConfig& drive);
std::array<std::uint8_t, 24> DriveSmartVersionReply(std::uint8_t deviceMap);
// One bus, one logical unit at PathId 0, the given TargetId and Lun 0, with INQUIRY data made from
// the drive's strings.
std::vector<std::uint8_t> DriveInquiryDataReply(std::uint8_t targetId, const DeviceStrings& strings);

}  // namespace trelvane::emulated
