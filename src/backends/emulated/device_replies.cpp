#include "backends/emulated/device_replies.h"

#include <algorithm>

namespace trelvane::emulated {

namespace {

// The largest transfer counted in 4 KiB pages; buffers word-aligned, as ATA controllers ask.
constexpr std::uint32_t PageBytes = 4096;
constexpr std::uint32_t WordAlignment = 1;
// An emulated drive claims every SMART_GET_VERSION capability.
constexpr std::uint32_t SmartCapabilities =
    SmartCapability::AtaIdentify | SmartCapability::AtapiIdentify | SmartCapability::SmartCommands;

DescriptorStrings Descriptor(const DeviceStrings& strings) {
  return {strings.vendor, strings.product, strings.revision, strings.serial};
}

}  // namespace

std::optional<DeviceDescriptor> BuildDeviceDescriptor(const DeviceStrings& strings) {
  const DeviceFacts headerFacts{0, strings.removable, 0};
  const std::vector<std::uint8_t> reply = DeviceDescriptorReply(Descriptor(strings), headerFacts);
  DeviceDescriptor descriptor;
  if (reply.size() > descriptor.bytes.size()) return std::nullopt;
  std::copy(reply.begin(), reply.end(), descriptor.bytes.begin());
  descriptor.size = static_cast<std::uint32_t>(reply.size());
  return descriptor;
}

// The machine file refuses a negative length, so the cast keeps the value.
std::array<std::uint8_t, 24> DriveGeometryReply(const DriveConfig& drive) {
  return GeometryReply(drive.sectorSize, static_cast<std::uint64_t>(drive.lengthBytes), drive.strings.removable);
}

std::array<std::uint8_t, 8> DriveLengthReply(const DriveConfig& drive) {
  return LengthReply(static_cast<std::uint64_t>(drive.lengthBytes));
}

std::array<std::uint8_t, 32> DriveAdapterReply(const DriveConfig& drive) {
  const AdapterFacts facts{drive.maxTransfer, drive.maxTransfer / PageBytes, WordAlignment, drive.busType};
  return AdapterDescriptorReply(facts);
}

std::array<std::uint8_t, 24> DriveSmartVersionReply(std::uint8_t deviceMap) {
  return SmartVersionReply(deviceMap, SmartCapabilities);
}

std::vector<std::uint8_t> DriveInquiryDataReply(std::uint8_t targetId, const DeviceStrings& strings) {
  return InquiryDataReply(ScsiAddress{0, 0, targetId, 0}, StandardInquiryData(Descriptor(strings), strings.removable));
}

}  // namespace trelvane::emulated
