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

// IDENTIFY DEVICE as the drive answers it now: the words its erase state decides filled in.
Block IdentifyOf(const RequestContext& request) {
  Block identify = *request.drive->identify;
  if (request.firmware != nullptr) request.firmware->PatchIdentify(identify);
  return identify;
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
    return DataAnswer(request.out, IdentifyOf(request), DataAnswerSize);
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
  PutBytes(request.out, SrbIoControlBytes + SendCmdOutHeaderBytes, IdentifyOf(request));
  return DeviceReply::Success(static_cast<std::uint32_t>(std::min<std::size_t>(drive.miniportBytes, request.out.size())));
}

}  // namespace trelvane::emulated

namespace trelvane::emulated {

DeviceReply AnswerAtaPassThrough(RequestContext& request) {
  namespace L = AtaPassThroughLayout;
  const std::span<const std::uint8_t> in = request.in;
  if (in.size() < L::Bytes || ReadU16LE(in, L::Length) != L::Bytes) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  const std::uint16_t flags = ReadU16LE(in, L::Flags);
  const std::uint32_t length = ReadU32LE(in, L::DataTransferLength);
  const std::uint64_t offset = ReadU32LE(in, L::DataBufferOffset) | std::uint64_t{ReadU32LE(in, L::DataBufferOffset + 4)} << 32;
  const bool dataIn = (flags & L::DataIn) != 0, dataOut = (flags & L::DataOut) != 0;
  if ((dataIn && dataOut) || (length != 0 && offset < L::Bytes)) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (dataOut && offset + length > in.size()) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  const std::size_t replyBytes = dataIn ? offset + length : L::Bytes;
  if (request.out.size() < replyBytes) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);

  const auto current = in.subspan(L::CurrentTaskFile, 8);
  const auto previous = in.subspan(L::PreviousTaskFile, 8);
  const bool extended = (flags & L::Command48Bit) != 0;
  AtaTaskFile task;
  task.command = current[L::TaskCommandOrStatus];
  task.device = current[L::TaskDevice];
  task.features = current[L::TaskFeaturesOrError];
  task.count = current[L::TaskCount];
  for (std::uint32_t i = 0; i < 3; ++i) task.lba |= std::uint64_t{current[L::TaskLbaLow + i]} << (8 * i);
  if (extended) {
    task.features = static_cast<std::uint16_t>(task.features | previous[L::TaskFeaturesOrError] << 8);
    task.count = static_cast<std::uint16_t>(task.count | previous[L::TaskCount] << 8);
    for (std::uint32_t i = 0; i < 3; ++i) task.lba |= std::uint64_t{previous[L::TaskLbaLow + i]} << (24 + 8 * i);
  }
  // The storage stack keeps the Security feature set to itself outside Windows PE.
  if (task.command >= 0xF1 && task.command <= 0xF6 && !request.preinstallation)
    return DeviceReply::Failure(ErrorCode::InvalidFunction);

  std::fill(request.out.begin(), request.out.begin() + static_cast<std::ptrdiff_t>(replyBytes), std::uint8_t{0});
  std::copy_n(in.begin(), L::Bytes, request.out.begin());
  AtaTaskFile answer;
  if (task.command == AtaOpcode::IdentifyDevice && dataIn && length == 512 && request.drive->identify) {
    const Block identify = IdentifyOf(request);
    std::copy(identify.begin(), identify.end(), request.out.begin() + static_cast<std::ptrdiff_t>(offset));
    answer.command = 0x50;
  } else if (request.firmware != nullptr) {
    const auto data = dataOut ? in.subspan(offset, length) : std::span<const std::uint8_t>{};
    answer = request.firmware->Ata(task, data);
  } else {
    answer = AtaTaskFile{0x04, 0, 0, 0, 0x51};
  }
  const std::span<std::uint8_t> out = request.out;
  out[L::CurrentTaskFile + L::TaskFeaturesOrError] = static_cast<std::uint8_t>(answer.features);
  out[L::CurrentTaskFile + L::TaskCount] = static_cast<std::uint8_t>(answer.count);
  for (std::uint32_t i = 0; i < 3; ++i) {
    out[L::CurrentTaskFile + L::TaskLbaLow + i] = static_cast<std::uint8_t>(answer.lba >> (8 * i));
    out[L::PreviousTaskFile + L::TaskLbaLow + i] = static_cast<std::uint8_t>(answer.lba >> (24 + 8 * i));
  }
  out[L::PreviousTaskFile + L::TaskCount] = static_cast<std::uint8_t>(answer.count >> 8);
  out[L::CurrentTaskFile + L::TaskDevice] = task.device;
  out[L::CurrentTaskFile + L::TaskCommandOrStatus] = answer.command;
  return DeviceReply::Success(static_cast<std::uint32_t>(replyBytes));
}

}  // namespace trelvane::emulated
