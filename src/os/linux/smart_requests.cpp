#include "os/linux/smart_requests.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "os/bytes.h"

namespace trelvane::linux_platform {

namespace {

// SENDCMDINPARAMS (pack 1): cBufferSize 0 | irDriveRegs 4-11 | bDriveNumber 12 | bBuffer 32.
constexpr std::size_t SendCmdInMinimum = 32;
constexpr std::size_t RegistersOffset = 4;
constexpr std::size_t DriveNumberOffset = 12;
// SENDCMDOUTPARAMS (pack 1): cBufferSize 0 | DRIVERSTATUS 4 (bDriverError 4, bIDEError 5) | bBuffer 16.
constexpr std::size_t SendCmdOutHeader = 16;
constexpr std::size_t SectorBytes = 512;
constexpr std::uint8_t SmartIdeError = 1;  // DRIVERSTATUS.bDriverError after a failed command
// SRB_IO_CONTROL: HeaderLength 0 | Signature 4-11 | Timeout 12 | ControlCode 16 | ReturnCode 20 |
// Length 24; the SENDCMDINPARAMS / SENDCMDOUTPARAMS block follows at 28.
constexpr std::size_t SrbHeader = 28;

constexpr std::uint8_t IdentifyDevice = AtaCommand::IdentifyDevice;
constexpr std::uint8_t SmartCommand = AtaCommand::Smart;
constexpr std::uint8_t SmartCylinderLow = 0x4F;
constexpr std::uint8_t SmartCylinderHigh = 0xC2;
constexpr std::uint8_t SmartReadData = SmartFeature::ReadData;
constexpr std::uint8_t SmartReadThresholds = 0xD1;
constexpr std::uint8_t SmartReturnStatus = 0xDA;
// The SMART sub-commands the send request carries: none of them moves data.
constexpr std::array<std::uint8_t, 7> SendFeatures{0xD8, 0xD9, 0xDA, 0xD2, 0xD3, 0xD4, 0xDB};

void WriteDriverStatus(std::span<std::uint8_t> out, std::uint32_t bufferSize, const AtaCommandResult& result) {
  std::fill(out.begin(), out.begin() + SendCmdOutHeader, 0);
  WriteU32LE(out, 0, bufferSize);
  out[4] = result.ok ? 0 : SmartIdeError;
  out[5] = result.ataError;
}

AtaRegisters WithSmartSignature(AtaRegisters regs) {
  regs.CylinderLow = SmartCylinderLow;
  regs.CylinderHigh = SmartCylinderHigh;
  return regs;
}

// IDEREGS of the returned registers: features = error, ..., command = status.
void WriteReturnedRegisters(std::span<std::uint8_t> out, const AtaReturnRegisters& r) {
  const std::array<std::uint8_t, 8> regs{r.error, r.sectorCount, r.lbaLow, r.lbaMid, r.lbaHigh, r.device, r.status, 0};
  std::copy(regs.begin(), regs.end(), out.begin());
}

bool IsSignature(std::span<const std::uint8_t> bytes, std::string_view text) {
  return std::memcmp(bytes.data(), text.data(), text.size()) == 0;
}

}  // namespace

IoResult SmartReceive(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run) {
  if (in.size() < SendCmdInMinimum) return IoResult::Failure(ErrorCode::InvalidParameter);
  if (out.size() < SendCmdOutHeader + SectorBytes) return IoResult::Failure(ErrorCode::InsufficientBuffer);
  AtaRegisters regs = AtaRegistersFromBytes(in.subspan(RegistersOffset));
  const bool smartRead = regs.Command == SmartCommand &&
                         (regs.Features == SmartReadData || regs.Features == SmartReadThresholds);
  if (regs.Command != IdentifyDevice && !smartRead) return IoResult::Failure(ErrorCode::InvalidParameter);
  if (smartRead) regs = WithSmartSignature(regs);

  std::array<std::uint8_t, SectorBytes> data{};
  const AtaCommandResult result = run(regs, AtaDataPhase::In512, false, data);
  WriteDriverStatus(out, result.ok ? SectorBytes : 0, result);
  if (!result.ok) return IoResult::Failure(result.errorCode);
  std::copy(data.begin(), data.end(), out.begin() + SendCmdOutHeader);
  return IoResult::Success(SendCmdOutHeader + SectorBytes);
}

IoResult SmartSend(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run) {
  if (in.size() < SendCmdInMinimum) return IoResult::Failure(ErrorCode::InvalidParameter);
  if (out.size() < SendCmdOutHeader) return IoResult::Failure(ErrorCode::InsufficientBuffer);
  const AtaRegisters regs = WithSmartSignature(AtaRegistersFromBytes(in.subspan(RegistersOffset)));
  const bool known = std::find(SendFeatures.begin(), SendFeatures.end(), regs.Features) != SendFeatures.end();
  if (regs.Command != SmartCommand || !known) return IoResult::Failure(ErrorCode::InvalidParameter);
  const bool returnsRegisters = regs.Features == SmartReturnStatus;
  if (returnsRegisters && out.size() < SendCmdOutHeader + 8) return IoResult::Failure(ErrorCode::InsufficientBuffer);

  const AtaCommandResult result = run(regs, AtaDataPhase::None, returnsRegisters, {});
  WriteDriverStatus(out, returnsRegisters && result.ok ? 8 : 0, result);
  if (!result.ok) return IoResult::Failure(result.errorCode);
  if (!returnsRegisters) return IoResult::Success(SendCmdOutHeader);
  WriteReturnedRegisters(out.subspan(SendCmdOutHeader), result.registers.value_or(AtaReturnRegisters{}));
  return IoResult::Success(SendCmdOutHeader + 8);
}

IoResult MiniportIdentify(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run) {
  if (in.size() < SrbHeader + SendCmdInMinimum) return IoResult::Failure(ErrorCode::InvalidParameter);
  if (!IsSignature(in.subspan(4, 8), "SCSIDISK") || ReadU32LE(in, 16) != Ioctl::ScsiMiniportIdentify)
    return IoResult::Failure(ErrorCode::InvalidFunction);
  if (out.size() < SrbHeader + SendCmdOutHeader + SectorBytes)
    return IoResult::Failure(ErrorCode::InsufficientBuffer);

  // The miniport addresses the device by bDriveNumber (bit 0: slave), whatever the registers say.
  const std::uint8_t driveNumber = in[SrbHeader + DriveNumberOffset];
  const std::vector<std::uint8_t> header(in.begin(), in.begin() + SrbHeader);  // `in` may alias `out`
  const AtaRegisters regs{0, 1, 1, 0, 0, static_cast<std::uint8_t>(0xA0 | ((driveNumber & 1) << 4)), IdentifyDevice};
  std::array<std::uint8_t, SectorBytes> data{};
  const AtaCommandResult result = run(regs, AtaDataPhase::In512, false, data);
  if (!result.ok) return IoResult::Failure(result.errorCode);

  std::copy(header.begin(), header.end(), out.begin());
  WriteU32LE(out, 20, 0);  // ReturnCode
  WriteDriverStatus(out.subspan(SrbHeader), SectorBytes, result);
  std::copy(data.begin(), data.end(), out.begin() + SrbHeader + SendCmdOutHeader);
  return IoResult::Success(SrbHeader + SendCmdOutHeader + SectorBytes);
}

}  // namespace trelvane::linux_platform
