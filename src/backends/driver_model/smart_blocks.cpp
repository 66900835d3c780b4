#include "backends/driver_model/smart_blocks.h"

#include <algorithm>
#include <string_view>

#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {

namespace {

constexpr std::size_t SendCmdInRegisters = 4;
constexpr std::size_t SendCmdInDriveNumber = 12;
constexpr std::size_t SrbSignatureOffset = 4;
constexpr std::size_t SrbControlCodeOffset = 16;
constexpr std::string_view MiniportSignature = "SCSIDISK";

}  // namespace

AtaRegisters ReadIdeRegisters(std::span<const std::uint8_t> ideRegs) {
  return AtaRegisters{ideRegs[0], ideRegs[1], ideRegs[2], ideRegs[3], ideRegs[4], ideRegs[5], ideRegs[6]};
}

std::optional<SendCmdIn> ReadSendCmdIn(std::span<const std::uint8_t> in, std::size_t offset) {
  if (in.size() < offset + SendCmdInBytes) return std::nullopt;
  const std::span<const std::uint8_t> block = in.subspan(offset);
  return SendCmdIn{ReadIdeRegisters(block.subspan(SendCmdInRegisters)), block[SendCmdInDriveNumber]};
}

bool IsMiniportIdentify(std::span<const std::uint8_t> in) {
  if (in.size() < SrbIoControlBytes) return false;
  const auto signature = in.subspan(SrbSignatureOffset, MiniportSignature.size());
  return std::equal(signature.begin(), signature.end(), MiniportSignature.begin()) &&
         ReadU32LE(in, SrbControlCodeOffset) == Ioctl::ScsiMiniportIdentify;
}

bool HasSmartSignature(const AtaRegisters& registers) {
  return registers.CylinderLow == SmartCylinderLow && registers.CylinderHigh == SmartCylinderHigh;
}

std::array<std::uint8_t, SendCmdOutHeaderBytes> SendCmdOutHeader(std::uint32_t bufferSize, std::uint8_t driverError,
                                                                 std::uint8_t ideError) {
  std::array<std::uint8_t, SendCmdOutHeaderBytes> header{};
  WriteU32LE(header, 0, bufferSize);
  header[4] = driverError;
  header[5] = ideError;
  return header;
}

}  // namespace trelvane
