#include "backends/driver_model/device_reply.h"

#include <algorithm>

#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {

namespace {

constexpr std::size_t PropertyQueryBytes = 12;
constexpr std::size_t ProtocolQueryBytes = StorageProtocol::QueryHeaderBytes + StorageProtocol::SpecificDataBytes;
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
  const bool protocolSpecific =
      property == StorageProperty::AdapterProtocolSpecific || property == StorageProperty::DeviceProtocolSpecific;
  if (property != StorageProperty::Device && property != StorageProperty::Adapter && !protocolSpecific)
    return DeviceReply::Failure(ErrorCode::NotSupported);
  if (queryType != PropertyStandardQuery && queryType != PropertyExistsQuery)
    return DeviceReply::Failure(ErrorCode::InvalidParameter);
  PropertyQuery query{property, queryType == PropertyExistsQuery, std::nullopt};
  if (!protocolSpecific) return query;
  if (in.size() < ProtocolQueryBytes) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  const std::span<const std::uint8_t> specific = in.subspan(StorageProtocol::QueryHeaderBytes);
  query.protocol = ProtocolRequest{ReadU32LE(specific, 0),  ReadU32LE(specific, 4),  ReadU32LE(specific, 8),
                                   ReadU32LE(specific, 12), ReadU32LE(specific, 16), ReadU32LE(specific, 20)};
  return query;
}

std::variant<NvmeRequest, DeviceReply> ReadNvmeRequest(const PropertyQuery& query) {
  const DeviceReply notAnswered = DeviceReply::Failure(ErrorCode::NotSupported);
  if (!query.protocol || query.protocol->protocolType != StorageProtocol::TypeNvme) return notAnswered;
  const ProtocolRequest& request = *query.protocol;
  const bool adapter = query.property == StorageProperty::AdapterProtocolSpecific;
  NvmeRequest nvme;
  if (request.dataType == StorageProtocol::NvmeDataIdentify && request.requestValue == NvmeData::IdentifyController &&
      adapter) {
    nvme = {NvmeRequestKind::IdentifyController, 0, NvmeData::IdentifyBytes};
  } else if (request.dataType == StorageProtocol::NvmeDataIdentify &&
             request.requestValue == NvmeData::ActiveNamespaceList && adapter) {
    nvme = {NvmeRequestKind::ActiveNamespaceList, 0, NvmeData::IdentifyBytes};
  } else if (request.dataType == StorageProtocol::NvmeDataIdentify &&
             request.requestValue == NvmeData::IdentifyNamespace) {
    nvme = {NvmeRequestKind::IdentifyNamespace, request.requestSubValue, NvmeData::IdentifyBytes};
  } else if (request.dataType == StorageProtocol::NvmeDataLogPage && request.requestValue == NvmeData::HealthLog) {
    nvme = {NvmeRequestKind::HealthLog, NvmeData::AllNamespaces, NvmeData::HealthLogBytes};
  } else if (request.dataType == StorageProtocol::NvmeDataLogPage && request.requestValue == NvmeData::SanitizeLog) {
    nvme = {NvmeRequestKind::SanitizeLog, 0, NvmeData::SanitizeLogBytes};
  } else {
    return notAnswered;
  }
  if (request.dataOffset < StorageProtocol::SpecificDataBytes || request.dataLength < nvme.dataBytes)
    return DeviceReply::Failure(ErrorCode::InvalidParameter);
  return nvme;
}

// The reply repeats the request's structure, so a caller finds the data where it asked for it.
DeviceReply ProtocolDataReply(const ProtocolRequest& request, std::span<const std::uint8_t> data,
                              std::span<std::uint8_t> out) {
  const std::size_t dataStart = StorageProtocol::QueryHeaderBytes + std::size_t{request.dataOffset};
  if (out.size() < dataStart + data.size()) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);
  std::fill(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(dataStart), std::uint8_t{0});
  WriteU32LE(out, 0, StorageProtocol::DataDescriptorBytes);
  WriteU32LE(out, 4, StorageProtocol::DataDescriptorBytes);
  const std::span<std::uint8_t> specific = out.subspan(StorageProtocol::QueryHeaderBytes);
  WriteU32LE(specific, 0, request.protocolType);
  WriteU32LE(specific, 4, request.dataType);
  WriteU32LE(specific, 8, request.requestValue);
  WriteU32LE(specific, 12, request.requestSubValue);
  WriteU32LE(specific, 16, request.dataOffset);
  WriteU32LE(specific, 20, static_cast<std::uint32_t>(data.size()));
  std::copy(data.begin(), data.end(), out.begin() + static_cast<std::ptrdiff_t>(dataStart));
  return DeviceReply::Success(static_cast<std::uint32_t>(dataStart + data.size()));
}

}  // namespace trelvane
