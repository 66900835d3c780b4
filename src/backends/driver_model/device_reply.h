#pragma once
// What one device-control request came to, and the rules by which the platform's drivers hand reply
// bytes to a caller's buffer: one type for every backend that answers requests itself.

#include <cstdint>
#include <optional>
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

// STORAGE_PROTOCOL_SPECIFIC_DATA (40 bytes), as a protocol-specific query carries it:
//   0  ProtocolType (u32)               4  DataType (u32)
//   8  ProtocolDataRequestValue (u32)  12  ProtocolDataRequestSubValue (u32)
//  16  ProtocolDataOffset (u32), from the start of this structure
//  20  ProtocolDataLength (u32)        24  FixedProtocolReturnData (u32)
//  28  ProtocolDataRequestSubValue2..4 (u32 each), 0 for the requests answered here
struct ProtocolRequest {
  std::uint32_t protocolType = 0;
  std::uint32_t dataType = 0;
  std::uint32_t requestValue = 0;
  std::uint32_t requestSubValue = 0;
  std::uint32_t dataOffset = 0;
  std::uint32_t dataLength = 0;
};

// IOCTL_STORAGE_QUERY_PROPERTY's input, STORAGE_PROPERTY_QUERY (12 bytes): PropertyId 0, QueryType 4,
// AdditionalParameters 8. The device and adapter properties are answered, and their protocol-specific
// forms, whose query carries a ProtocolRequest from byte 8 on.
struct PropertyQuery {
  std::uint32_t property = 0;  // StorageProperty::Device, ::Adapter or a protocol-specific one
  bool existsOnly = false;     // QueryType 1: success with no reply bytes
  std::optional<ProtocolRequest> protocol;
};

// The query, or the failure the disk class driver gives: 87 for a short block or an unknown query
// type, 50 for a property it does not answer.
std::variant<PropertyQuery, DeviceReply> ReadPropertyQuery(std::span<const std::uint8_t> in);

// The NVMe data a protocol-specific query asks for.
enum class NvmeRequestKind { IdentifyController, ActiveNamespaceList, IdentifyNamespace, HealthLog, SanitizeLog };
struct NvmeRequest {
  NvmeRequestKind kind = NvmeRequestKind::IdentifyController;
  std::uint32_t namespaceId = 0;  // the Identify Namespace request's NSID
  std::uint32_t dataBytes = 0;    // 4096 for Identify, 512 for the health log
};

// What the in-box NVMe driver makes of a protocol-specific query: Identify Controller through the
// adapter property, Identify Namespace, the health log and the Sanitize Status log (81h) through
// either; 50 for another protocol,
// data type, CNS or log page; 87 when the data would not start after the 40-byte structure or the
// asked length is shorter than the data.
std::variant<NvmeRequest, DeviceReply> ReadNvmeRequest(const PropertyQuery& query);

// STORAGE_PROTOCOL_DATA_DESCRIPTOR in `out`: Version 48 (bytes 0-3), Size 48 (4-7), the query's
// STORAGE_PROTOCOL_SPECIFIC_DATA echoed from byte 8 with ProtocolDataLength set to the data's size,
// and the data at 8 + ProtocolDataOffset. An output smaller than that fails with 122.
DeviceReply ProtocolDataReply(const ProtocolRequest& request, std::span<const std::uint8_t> data,
                              std::span<std::uint8_t> out);

}  // namespace trelvane
