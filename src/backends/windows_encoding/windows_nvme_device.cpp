#include "backends/windows_encoding/windows_nvme_device.h"

#include <algorithm>
#include <array>
#include <optional>
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

// Identify's CNS, or the log page id, is the low byte of command dword 10.
std::uint32_t LowByte(std::uint32_t dword) { return dword & 0xFFu; }

// The query that carries `command`, or none when the in-box driver passes no such command on. The
// device property's Identify Namespace names the namespace in its sub-value; the driver answers it
// for the disk's own namespace.
std::optional<ProtocolQuery> QueryFor(const NvmeCommand& command) {
  if (command.opcode == NvmeOpcode::GetLogPage)
    return ProtocolQuery{StorageProperty::DeviceProtocolSpecific, StorageProtocol::NvmeDataLogPage,
                         LowByte(command.cdw10), 0};
  if (command.opcode != NvmeOpcode::Identify) return std::nullopt;
  switch (LowByte(command.cdw10)) {
    case NvmeData::IdentifyController:
    case NvmeData::ActiveNamespaceList:
      return ProtocolQuery{StorageProperty::AdapterProtocolSpecific, StorageProtocol::NvmeDataIdentify,
                           LowByte(command.cdw10), 0};
    case NvmeData::IdentifyNamespace:
      return ProtocolQuery{StorageProperty::DeviceProtocolSpecific, StorageProtocol::NvmeDataIdentify,
                           NvmeData::IdentifyNamespace, command.namespaceId};
    default:
      return std::nullopt;
  }
}

constexpr std::uint8_t FormatNvmOpcode = 0x80;
constexpr std::uint8_t SanitizeOpcode = 0x84;
constexpr std::uint32_t SanitizeBlockErase = 2, SanitizeCryptoErase = 4;  // SANACT, CDW10 bits 2:0
constexpr std::uint32_t AllowUnrestrictedExit = 1u << 3;                   // AUSE, CDW10 bit 3
constexpr std::uint32_t SecureEraseCryptographic = 2;                     // SES, CDW10 bits 11:9

// IOCTL_STORAGE_REINITIALIZE_MEDIA: without input the in-box driver sends Format NVM with a
// cryptographic erase to the disk's namespace (in the format it has); with STORAGE_REINITIALIZE_MEDIA
// it sends Sanitize, block or crypto erase. Nothing else of these two commands goes through.
bool Reinitialize(DeviceControlPort& system, Handle handle, std::span<const std::uint8_t> in,
                  NvmeCompletion& completion) {
  std::uint32_t returned = 0;
  if (system.DeviceIoControl(handle, Ioctl::StorageReinitializeMedia, in, {}, returned)) return true;
  completion.systemError = system.GetLastError();
  return false;
}

bool Refused(NvmeCompletion& completion) {
  completion.systemError = WindowsNvmeDevice::NotLetThrough;
  return false;
}

}  // namespace

bool WindowsNvmeDevice::Carries(const NvmeCommand& command) const {
  if (command.opcode == FormatNvmOpcode)
    return ((command.cdw10 >> 9) & 0x7u) == SecureEraseCryptographic && command.namespaceId == DiskNamespaceId;
  if (command.opcode == SanitizeOpcode) {
    const std::uint32_t action = command.cdw10 & 0x7u;
    return action == SanitizeBlockErase || action == SanitizeCryptoErase;
  }
  return true;
}

bool WindowsNvmeDevice::EraseCommand(const NvmeCommand& command, NvmeCompletion& completion) {
  if (!Carries(command)) return Refused(completion);
  if (command.opcode == FormatNvmOpcode) return Reinitialize(system_, handle_, {}, completion);
  const std::uint32_t action = command.cdw10 & 0x7u;
  std::array<std::uint8_t, ReinitializeMedia::Bytes> options{};
  WriteU32LE(options, 0, ReinitializeMedia::Bytes);  // Version
  WriteU32LE(options, 4, ReinitializeMedia::Bytes);  // Size
  WriteU32LE(options, ReinitializeMedia::Timeout, std::max<std::uint32_t>(1, command.timeoutMs / 1000));
  std::uint32_t option = action == SanitizeCryptoErase ? ReinitializeMedia::MethodCryptoErase
                                                       : ReinitializeMedia::MethodBlockErase;
  if ((command.cdw10 & AllowUnrestrictedExit) == 0) option |= ReinitializeMedia::DisallowUnrestrictedExit;
  WriteU32LE(options, ReinitializeMedia::SanitizeOption, option);
  return Reinitialize(system_, handle_, options, completion);
}

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
//   from byte 8; FixedProtocolReturnData (byte 32) is the completion's dword 0.
bool WindowsNvmeDevice::Admin(const NvmeCommand& command, std::span<std::uint8_t> data, NvmeCompletion& completion) {
  completion = {};
  if (command.opcode == FormatNvmOpcode || command.opcode == SanitizeOpcode) return EraseCommand(command, completion);
  const std::optional<ProtocolQuery> query = QueryFor(command);
  if (!query) {
    completion.systemError = ErrorCode::NotSupported;
    return false;
  }
  constexpr std::size_t Specific = StorageProtocol::QueryHeaderBytes;
  std::vector<std::uint8_t> buffer(Specific + StorageProtocol::SpecificDataBytes + data.size(), 0);
  WriteU32LE(buffer, 0, query->property);
  WriteU32LE(buffer, Specific + 0, StorageProtocol::TypeNvme);
  WriteU32LE(buffer, Specific + 4, query->dataType);
  WriteU32LE(buffer, Specific + 8, query->requestValue);
  WriteU32LE(buffer, Specific + 12, query->requestSubValue);
  WriteU32LE(buffer, Specific + 16, StorageProtocol::SpecificDataBytes);
  WriteU32LE(buffer, Specific + 20, static_cast<std::uint32_t>(data.size()));
  std::uint32_t returned = 0;
  if (!system_.DeviceIoControl(handle_, Ioctl::StorageQueryProperty, buffer, buffer, returned)) {
    completion.systemError = system_.GetLastError();
    return false;
  }
  const std::uint64_t offset = ReadU32LE(buffer, Specific + 16);
  const std::uint64_t length = ReadU32LE(buffer, Specific + 20);
  const std::uint64_t start = Specific + offset;
  // A reply that does not hold the whole structure is no answer.
  if (length < data.size() || start + data.size() > std::min<std::uint64_t>(returned, buffer.size())) return false;
  completion.result = ReadU32LE(buffer, Specific + 24);
  std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(start), data.size(), data.begin());
  return true;
}

}  // namespace trelvane
