#include "os/driver_model/device_reply.h"

#include <algorithm>

#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {

namespace {

constexpr std::size_t PropertyQueryBytes = 12;
constexpr std::size_t DescriptorHeaderBytes = 8;
constexpr std::uint32_t PropertyStandardQuery = 0;
constexpr std::uint32_t PropertyExistsQuery = 1;

}  // namespace

DeviceReply CopyReply(std::span<const std::uint8_t> reply, std::span<std::uint8_t> out) {
  if (out.size() < reply.size()) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);
  return DeviceReply::Success(CopyWhatFits(reply, out));
}

DeviceReply CopyDescriptor(std::span<const std::uint8_t> reply, std::uint32_t size, std::span<std::uint8_t> out) {
  if (out.size() < DescriptorHeaderBytes) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);
  CopyWhatFits(reply, out);
  return DeviceReply::Success(static_cast<std::uint32_t>(std::min<std::size_t>(size, out.size())));
}

std::uint32_t CopyWhatFits(std::span<const std::uint8_t> reply, std::span<std::uint8_t> out) {
  const std::size_t count = std::min(out.size(), reply.size());
  std::copy_n(reply.begin(), count, out.begin());
  return static_cast<std::uint32_t>(count);
}

std::variant<PropertyQuery, DeviceReply> ReadPropertyQuery(std::span<const std::uint8_t> in) {
  if (in.size() < PropertyQueryBytes) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  const std::uint32_t property = ReadU32LE(in, 0);
  const std::uint32_t queryType = ReadU32LE(in, 4);
  if (property != StorageProperty::Device && property != StorageProperty::Adapter)
    return DeviceReply::Failure(ErrorCode::NotSupported);
  if (queryType != PropertyStandardQuery && queryType != PropertyExistsQuery)
    return DeviceReply::Failure(ErrorCode::InvalidParameter);
  return PropertyQuery{property, queryType == PropertyExistsQuery};
}

}  // namespace trelvane
