#include "backends/emulated/ata_requests.h"

#include <algorithm>

#include "os/bytes.h"
#include "backends/driver_model/smart_blocks.h"
#include "os/win_constants.h"

namespace trelvane::emulated {

// The blocks these requests carry are laid out in backends/driver_model/smart_blocks.h.

namespace {

constexpr std::size_t DataAnswerSize = SendCmdOutHeaderBytes + 512;

bool IsSmart(const AtaRegisters& registers, std::uint8_t feature) {
  return registers.Command == AtaOpcode::Smart && registers.Features == feature && HasSmartSignature(registers);
}

void PutBytes(std::span<std::uint8_t> out, std::size_t offset, std::span<const std::uint8_t> bytes) {
  if (offset >= out.size()) return;
  std::copy_n(bytes.begin(), std::min(bytes.size(), out.size() - offset), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

// SENDCMDOUTPARAMS header at `offset`: the data size, and a driver status of no error.
void PutOutHeader(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t bufferSize) {
  PutBytes(out, offset, SendCmdOutHeader(bufferSize));
}

// A data answer returning `answerBytes` (as far as the output holds): the header, then the 512 data
// bytes placed so that they end at the returned count, which puts them right after the header for
// the usual 528, at 0 for 512 and at 527 for 1039 - every answer size the program's "last 512 bytes
// before the returned count" rule meets. Below 512 the data stays after the header.
DeviceReply DataAnswer(std::span<std::uint8_t> out, const Block& data, std::uint32_t answerBytes) {
  const auto returned = static_cast<std::uint32_t>(std::min<std::size_t>(answerBytes, out.size()));
  PutOutHeader(out, 0, 512);
  PutBytes(out, returned >= 512 ? returned - 512 : SendCmdOutHeaderBytes, data);
  return DeviceReply::Success(returned);
}

// The refusal a drive gives when the machine file scripts a fault, or when it has no data block.
std::optional<DeviceReply> Refusal(const RequestFault& fault, const std::optional<Block>& data) {
  if (fault.Refuses()) return DeviceReply::Failure(fault.error);
  if (!data) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  return std::nullopt;
}

// A non-data SMART command (enable, disable): the header alone, 16 bytes.
DeviceReply SmartSwitch(RequestContext& request, const RequestFault& fault) {
  if (fault.Refuses()) return DeviceReply::Failure(fault.error);
  PutOutHeader(request.out, 0, 0);
  return DeviceReply::Success(SendCmdOutHeaderBytes);
}

}  // namespace

DeviceReply AnswerSmartReceive(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  const auto block = ReadSendCmdIn(request.in);
  if (!block) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (request.out.size() < DataAnswerSize) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);
  const AtaRegisters& registers = block->registers;
  if (registers.Command == AtaOpcode::IdentifyDevice) {
    if (const auto refusal = Refusal(drive.identifyRcv, drive.identify)) return *refusal;
    return DataAnswer(request.out, *drive.identify, DataAnswerSize);
  }
  if (IsSmart(registers, SmartFeature::ReadData)) {
    if (const auto refusal = Refusal(drive.smartRcv, drive.smart)) return *refusal;
    return DataAnswer(request.out, *drive.smart, drive.smartRcvBytes);
  }
  return DeviceReply::Failure(ErrorCode::InvalidParameter);
}

DeviceReply AnswerSmartSend(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  const auto block = ReadSendCmdIn(request.in);
  if (!block) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (request.out.size() < SendCmdOutHeaderBytes) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);
  const AtaRegisters& registers = block->registers;
  if (IsSmart(registers, SmartFeature::EnableOperations)) return SmartSwitch(request, drive.smartEnable);
  if (IsSmart(registers, SmartFeature::DisableOperations)) return SmartSwitch(request, drive.smartDisable);
  if (IsSmart(registers, SmartFeature::ReadData)) {
    // Accepted here although the stock disk driver refuses it, because some vendor drivers take the
    // SMART read through this request too.
    if (const auto refusal = Refusal(drive.smartSend, drive.smart)) return *refusal;
    if (request.out.size() < DataAnswerSize) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);
    return DataAnswer(request.out, *drive.smart, drive.smartSendBytes);
  }
  return DeviceReply::Failure(ErrorCode::InvalidParameter);
}

DeviceReply AnswerMiniport(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  const std::span<const std::uint8_t> in = request.in;
  const auto block = ReadSendCmdIn(in, SrbIoControlBytes);
  if (!block) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (!IsMiniportIdentify(in)) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  if (block->registers.Command != AtaOpcode::IdentifyDevice)
    return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (const auto refusal = Refusal(drive.miniport, drive.identify)) return *refusal;
  std::array<std::uint8_t, SrbIoControlBytes> srb{};
  std::copy_n(in.begin(), SrbIoControlBytes, srb.begin());
  WriteU32LE(srb, SrbReturnCodeOffset, 0);  // done
  PutBytes(request.out, 0, srb);
  PutOutHeader(request.out, SrbIoControlBytes, 512);
  PutBytes(request.out, SrbIoControlBytes + SendCmdOutHeaderBytes, *drive.identify);
  return DeviceReply::Success(static_cast<std::uint32_t>(std::min<std::size_t>(drive.miniportBytes, request.out.size())));
}

}  // namespace trelvane::emulated
