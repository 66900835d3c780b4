#include "os/emulated/ata_requests.h"

#include <algorithm>
#include <cstring>

#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane::emulated {

// SENDCMDINPARAMS (packed):
//   0  cBufferSize (u32)
//   4  irDriveRegs: features 4, sector count 5, sector number 6, cylinder low 7, cylinder high 8,
//      drive/head 9, command 10, reserved 11
//  12  bDriveNumber   13  reserved   32  bBuffer
// SENDCMDOUTPARAMS (packed):
//   0  cBufferSize (u32)
//   4  DRIVERSTATUS: bDriverError 4, bIDEError 5, reserved 6-15
//  16  bBuffer
// SRB_IO_CONTROL, in front of SENDCMDINPARAMS / SENDCMDOUTPARAMS on the miniport path:
//   0  HeaderLength   4  Signature "SCSIDISK"   12  Timeout   16  ControlCode   20  ReturnCode
//  24  Length         28  the ATA parameters

namespace {

constexpr std::size_t InParamsSize = 32;    // drivers accept 32 bytes or more (33 with bBuffer)
constexpr std::size_t OutHeaderSize = 16;
constexpr std::size_t DataAnswerSize = OutHeaderSize + 512;
constexpr std::size_t SrbHeaderSize = 28;

constexpr std::uint8_t CommandIdentify = 0xEC;
constexpr std::uint8_t CommandSmart = 0xB0;
constexpr std::uint8_t SmartReadData = 0xD0;
constexpr std::uint8_t SmartEnable = 0xD8;
constexpr std::uint8_t SmartDisable = 0xD9;
constexpr std::uint8_t SmartCylinderLow = 0x4F;
constexpr std::uint8_t SmartCylinderHigh = 0xC2;

struct AtaRegisters {
  std::uint8_t features, cylinderLow, cylinderHigh, command;
};

AtaRegisters RegistersAt(std::span<const std::uint8_t> in, std::size_t inParams) {
  return {in[inParams + 4], in[inParams + 7], in[inParams + 8], in[inParams + 10]};
}

bool IsSmart(const AtaRegisters& registers, std::uint8_t features) {
  return registers.command == CommandSmart && registers.features == features &&
         registers.cylinderLow == SmartCylinderLow && registers.cylinderHigh == SmartCylinderHigh;
}

void PutBytes(std::span<std::uint8_t> out, std::size_t offset, std::span<const std::uint8_t> bytes) {
  if (offset >= out.size()) return;
  std::copy_n(bytes.begin(), std::min(bytes.size(), out.size() - offset), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

// SENDCMDOUTPARAMS header at `offset`: the data size, and a driver status of no error.
void PutOutHeader(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t bufferSize) {
  std::array<std::uint8_t, OutHeaderSize> header{};
  WriteU32LE(header, 0, bufferSize);
  PutBytes(out, offset, header);
}

// A data answer returning `answerBytes` (as far as the output holds): the header, then the 512 data
// bytes placed so that they end at the returned count, which puts them right after the header for
// the usual 528, at 0 for 512 and at 527 for 1039 - every answer size the program's "last 512 bytes
// before the returned count" rule meets. Below 512 the data stays after the header.
Reply DataAnswer(std::span<std::uint8_t> out, const Block& data, std::uint32_t answerBytes) {
  const auto returned = static_cast<std::uint32_t>(std::min<std::size_t>(answerBytes, out.size()));
  PutOutHeader(out, 0, 512);
  PutBytes(out, returned >= 512 ? returned - 512 : OutHeaderSize, data);
  return Reply::Done(returned);
}

// The refusal a drive gives when the machine file scripts a fault, or when it has no data block.
std::optional<Reply> Refusal(const RequestFault& fault, const std::optional<Block>& data) {
  if (fault.Refuses()) return Reply::Refused(fault.error);
  if (!data) return Reply::Refused(ErrorCode::InvalidFunction);
  return std::nullopt;
}

// A non-data SMART command (enable, disable): the header alone, 16 bytes.
Reply SmartSwitch(RequestContext& request, const RequestFault& fault) {
  if (fault.Refuses()) return Reply::Refused(fault.error);
  PutOutHeader(request.out, 0, 0);
  return Reply::Done(OutHeaderSize);
}

}  // namespace

Reply AnswerSmartReceive(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (request.in.size() < InParamsSize) return Reply::Refused(ErrorCode::InvalidParameter);
  if (request.out.size() < DataAnswerSize) return Reply::Refused(ErrorCode::InsufficientBuffer);
  const AtaRegisters registers = RegistersAt(request.in, 0);
  if (registers.command == CommandIdentify) {
    if (const auto refusal = Refusal(drive.identifyRcv, drive.identify)) return *refusal;
    return DataAnswer(request.out, *drive.identify, DataAnswerSize);
  }
  if (IsSmart(registers, SmartReadData)) {
    if (const auto refusal = Refusal(drive.smartRcv, drive.smart)) return *refusal;
    return DataAnswer(request.out, *drive.smart, drive.smartRcvBytes);
  }
  return Reply::Refused(ErrorCode::InvalidParameter);
}

Reply AnswerSmartSend(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  if (request.in.size() < InParamsSize) return Reply::Refused(ErrorCode::InvalidParameter);
  if (request.out.size() < OutHeaderSize) return Reply::Refused(ErrorCode::InsufficientBuffer);
  const AtaRegisters registers = RegistersAt(request.in, 0);
  if (IsSmart(registers, SmartEnable)) return SmartSwitch(request, drive.smartEnable);
  if (IsSmart(registers, SmartDisable)) return SmartSwitch(request, drive.smartDisable);
  if (IsSmart(registers, SmartReadData)) {
    // Accepted here although the stock disk driver refuses it, because some vendor drivers take the
    // SMART read through this request too.
    if (const auto refusal = Refusal(drive.smartSend, drive.smart)) return *refusal;
    if (request.out.size() < DataAnswerSize) return Reply::Refused(ErrorCode::InsufficientBuffer);
    return DataAnswer(request.out, *drive.smart, drive.smartSendBytes);
  }
  return Reply::Refused(ErrorCode::InvalidParameter);
}

Reply AnswerMiniport(RequestContext& request) {
  const DriveConfig& drive = *request.drive;
  const std::span<const std::uint8_t> in = request.in;
  if (in.size() < SrbHeaderSize + InParamsSize) return Reply::Refused(ErrorCode::InvalidParameter);
  if (std::memcmp(in.data() + 4, "SCSIDISK", 8) != 0 || ReadU32LE(in, 16) != Ioctl::ScsiMiniportIdentify)
    return Reply::Refused(ErrorCode::InvalidFunction);
  if (RegistersAt(in, SrbHeaderSize).command != CommandIdentify)
    return Reply::Refused(ErrorCode::InvalidParameter);
  if (const auto refusal = Refusal(drive.miniport, drive.identify)) return *refusal;
  std::array<std::uint8_t, SrbHeaderSize> srb{};
  std::copy_n(in.begin(), SrbHeaderSize, srb.begin());
  WriteU32LE(srb, 20, 0);  // ReturnCode: done
  PutBytes(request.out, 0, srb);
  PutOutHeader(request.out, SrbHeaderSize, 512);
  PutBytes(request.out, SrbHeaderSize + OutHeaderSize, *drive.identify);
  return Reply::Done(static_cast<std::uint32_t>(std::min<std::size_t>(drive.miniportBytes, request.out.size())));
}

}  // namespace trelvane::emulated
