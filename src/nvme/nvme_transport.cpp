#include "nvme/nvme_transport.h"

#include <algorithm>
#include <vector>

#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {

namespace {

struct ProtocolQuery {
  std::uint32_t property;
  std::uint32_t dataType;
  std::uint32_t requestValue;
  std::uint32_t requestSubValue;
};

// One buffer serves as the query and the reply; the data follows the 40-byte protocol structure.
//
// The query, STORAGE_PROPERTY_QUERY with STORAGE_PROTOCOL_SPECIFIC_DATA as its AdditionalParameters:
//   0  PropertyId (u32)   49 adapter / 50 device protocol-specific
//   4  QueryType (u32)    0, standard
//   8  ProtocolType (u32) 3, NVMe           12  DataType (u32) 1 Identify / 2 log page
//  16  ProtocolDataRequestValue (u32)       CNS, or the log page id
//  20  ProtocolDataRequestSubValue (u32)    the namespace id of Identify Namespace, else 0
//  24  ProtocolDataOffset (u32) 40          28  ProtocolDataLength (u32) the data's size
//  32  FixedProtocolReturnData, SubValue2..4: 0
//  48  room for the data
// The reply, STORAGE_PROTOCOL_DATA_DESCRIPTOR:
//   0  Version (u32)  4  Size (u32)  8  STORAGE_PROTOCOL_SPECIFIC_DATA as returned: its
//   ProtocolDataOffset (byte 24) and ProtocolDataLength (byte 28) say where the data is, counted
//   from byte 8.
bool ReadProtocolData(System& system, Handle handle, const ProtocolQuery& query, std::span<std::uint8_t> data) {
  constexpr std::size_t Specific = StorageProtocol::QueryHeaderBytes;
  std::vector<std::uint8_t> buffer(Specific + StorageProtocol::SpecificDataBytes + data.size(), 0);
  WriteU32LE(buffer, 0, query.property);
  WriteU32LE(buffer, Specific + 0, StorageProtocol::TypeNvme);
  WriteU32LE(buffer, Specific + 4, query.dataType);
  WriteU32LE(buffer, Specific + 8, query.requestValue);
  WriteU32LE(buffer, Specific + 12, query.requestSubValue);
  WriteU32LE(buffer, Specific + 16, StorageProtocol::SpecificDataBytes);
  WriteU32LE(buffer, Specific + 20, static_cast<std::uint32_t>(data.size()));
  std::uint32_t returned = 0;
  if (!system.DeviceIoControl(handle, Ioctl::StorageQueryProperty, buffer, buffer, returned)) return false;
  const std::uint64_t offset = ReadU32LE(buffer, Specific + 16);
  const std::uint64_t length = ReadU32LE(buffer, Specific + 20);
  const std::uint64_t start = Specific + offset;
  if (length < data.size() || start + data.size() > std::min<std::uint64_t>(returned, buffer.size())) return false;
  std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(start), data.size(), data.begin());
  return true;
}

}  // namespace

bool ReadNvmeIdentifyController(System& system, Handle handle, std::span<std::uint8_t, 4096> data) {
  return ReadProtocolData(system, handle,
                          {StorageProperty::AdapterProtocolSpecific, StorageProtocol::NvmeDataIdentify,
                           NvmeData::IdentifyController, 0},
                          data);
}

bool ReadNvmeActiveNamespaces(System& system, Handle handle, std::span<std::uint8_t, 4096> data) {
  return ReadProtocolData(system, handle,
                          {StorageProperty::AdapterProtocolSpecific, StorageProtocol::NvmeDataIdentify,
                           NvmeData::ActiveNamespaceList, 0},
                          data);
}

bool ReadNvmeIdentifyNamespace(System& system, Handle handle, std::span<std::uint8_t, 4096> data) {
  return ReadProtocolData(system, handle,
                          {StorageProperty::DeviceProtocolSpecific, StorageProtocol::NvmeDataIdentify,
                           NvmeData::IdentifyNamespace, DiskNamespaceId},
                          data);
}

bool ReadNvmeHealthLog(System& system, Handle handle, std::span<std::uint8_t, 512> data) {
  return ReadProtocolData(system, handle,
                          {StorageProperty::DeviceProtocolSpecific, StorageProtocol::NvmeDataLogPage,
                           NvmeData::HealthLog, 0},
                          data);
}

}  // namespace trelvane
