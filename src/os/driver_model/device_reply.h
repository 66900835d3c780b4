#pragma once
// What one device-control request came to, and the rules by which the platform's drivers hand reply
// bytes to a caller's buffer: one type for every backend that answers requests itself.

#include <cstdint>
#include <span>
#include <variant>

#include "os/win_constants.h"

namespace trelvane {

struct DeviceReply {
  bool ok = false;
  std::uint32_t error = 0;     // the last error of a failure
  std::uint32_t returned = 0;  // reply bytes written

  static DeviceReply Success(std::uint32_t returned = 0) { return {true, 0, returned}; }
  static DeviceReply Failure(std::uint32_t error) { return {false, error, 0}; }
};

// A fixed-size reply: an output buffer smaller than the reply fails with 122 and is not written.
DeviceReply CopyReply(std::span<const std::uint8_t> reply, std::span<std::uint8_t> out);

// A storage descriptor: cut to the caller's buffer as long as its 8-byte header (Version, Size) fits;
// the count returned is the descriptor's `size`, or the buffer's when that is smaller.
DeviceReply CopyDescriptor(std::span<const std::uint8_t> reply, std::uint32_t size, std::span<std::uint8_t> out);

// Copies as much of `reply` as `out` holds; returns the count copied.
std::uint32_t CopyWhatFits(std::span<const std::uint8_t> reply, std::span<std::uint8_t> out);

// IOCTL_STORAGE_QUERY_PROPERTY's input, STORAGE_PROPERTY_QUERY (12 bytes): PropertyId 0, QueryType 4,
// AdditionalParameters 8. Only the device and adapter properties are answered.
struct PropertyQuery {
  std::uint32_t property = 0;  // StorageProperty::Device or ::Adapter
  bool existsOnly = false;     // QueryType 1: success with no reply bytes
};

// The query, or the failure the disk class driver gives: 87 for a short block or an unknown query
// type, 50 for a property it does not answer.
std::variant<PropertyQuery, DeviceReply> ReadPropertyQuery(std::span<const std::uint8_t> in);

}  // namespace trelvane
