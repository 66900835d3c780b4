#include "os/linux/smart_requests.h"

#include <algorithm>
#include <array>
#include <vector>

#include "os/bytes.h"
#include "os/driver_model/smart_blocks.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::size_t SectorBytes = 512;
constexpr std::uint8_t SmartIdeError = 1;  // DRIVERSTATUS.bDriverError after a failed command
constexpr std::size_t ReturnedRegisterBytes = 8;

constexpr std::uint8_t IdentifyDevice = AtaCommand::IdentifyDevice;
constexpr std::uint8_t SmartCommand = AtaCommand::Smart;
constexpr std::uint8_t SmartReadData = SmartFeature::ReadData;
constexpr std::uint8_t SmartReadThresholds = 0xD1;
constexpr std::uint8_t SmartReturnStatus = 0xDA;
// The SMART sub-commands the send request carries: none of them moves data.
constexpr std::array<std::uint8_t, 7> SendFeatures{0xD8, 0xD9, 0xDA, 0xD2, 0xD3, 0xD4, 0xDB};

void WriteDriverStatus(std::span<std::uint8_t> out, std::uint32_t bufferSize, const AtaCommandResult& result) {
  const auto header = SendCmdOutHeader(bufferSize, result.ok ? 0 : SmartIdeError, result.ataError);
  std::copy(header.begin(), header.end(), out.begin());
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

}  // namespace

DeviceReply SmartReceive(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run) {
  const auto request = ReadSendCmdIn(in);
  if (!request) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (out.size() < SendCmdOutHeaderBytes + SectorBytes) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);
  AtaRegisters regs = request->registers;
  const bool smartRead = regs.Command == SmartCommand &&
                         (regs.Features == SmartReadData || regs.Features == SmartReadThresholds);
  if (regs.Command != IdentifyDevice && !smartRead) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (smartRead) regs = WithSmartSignature(regs);

  std::array<std::uint8_t, SectorBytes> data{};
  const AtaCommandResult result = run(regs, AtaDataPhase::In512, false, data);
  WriteDriverStatus(out, result.ok ? SectorBytes : 0, result);
  if (!result.ok) return DeviceReply::Failure(result.errorCode);
  std::copy(data.begin(), data.end(), out.begin() + SendCmdOutHeaderBytes);
  return DeviceReply::Success(SendCmdOutHeaderBytes + SectorBytes);
}

DeviceReply SmartSend(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run) {
  const auto request = ReadSendCmdIn(in);
  if (!request) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (out.size() < SendCmdOutHeaderBytes) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);
  const AtaRegisters regs = WithSmartSignature(request->registers);
  const bool known = std::find(SendFeatures.begin(), SendFeatures.end(), regs.Features) != SendFeatures.end();
  if (regs.Command != SmartCommand || !known) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  const bool returnsRegisters = regs.Features == SmartReturnStatus;
  if (returnsRegisters && out.size() < SendCmdOutHeaderBytes + ReturnedRegisterBytes) return DeviceReply::Failure(ErrorCode::InsufficientBuffer);

  const AtaCommandResult result = run(regs, AtaDataPhase::None, returnsRegisters, {});
  WriteDriverStatus(out, returnsRegisters && result.ok ? ReturnedRegisterBytes : 0, result);
  if (!result.ok) return DeviceReply::Failure(result.errorCode);
  if (!returnsRegisters) return DeviceReply::Success(SendCmdOutHeaderBytes);
  WriteReturnedRegisters(out.subspan(SendCmdOutHeaderBytes), result.registers.value_or(AtaReturnRegisters{}));
  return DeviceReply::Success(SendCmdOutHeaderBytes + ReturnedRegisterBytes);
}

DeviceReply MiniportIdentify(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run) {
  const auto request = ReadSendCmdIn(in, SrbIoControlBytes);
  if (!request) return DeviceReply::Failure(ErrorCode::InvalidParameter);
  if (!IsMiniportIdentify(in)) return DeviceReply::Failure(ErrorCode::InvalidFunction);
  if (out.size() < SrbIoControlBytes + SendCmdOutHeaderBytes + SectorBytes)
    return DeviceReply::Failure(ErrorCode::InsufficientBuffer);

  // The miniport addresses the device by bDriveNumber (bit 0: slave), whatever the registers say.
  const std::uint8_t driveNumber = request->driveNumber;
  const std::vector<std::uint8_t> header(in.begin(), in.begin() + SrbIoControlBytes);  // `in` may alias `out`
  const AtaRegisters regs{0, 1, 1, 0, 0, static_cast<std::uint8_t>(0xA0 | ((driveNumber & 1) << 4)), IdentifyDevice};
  std::array<std::uint8_t, SectorBytes> data{};
  const AtaCommandResult result = run(regs, AtaDataPhase::In512, false, data);
  if (!result.ok) return DeviceReply::Failure(result.errorCode);

  std::copy(header.begin(), header.end(), out.begin());
  WriteU32LE(out, SrbReturnCodeOffset, 0);
  WriteDriverStatus(out.subspan(SrbIoControlBytes), SectorBytes, result);
  std::copy(data.begin(), data.end(), out.begin() + SrbIoControlBytes + SendCmdOutHeaderBytes);
  return DeviceReply::Success(SrbIoControlBytes + SendCmdOutHeaderBytes + SectorBytes);
}

}  // namespace trelvane::linux_platform
