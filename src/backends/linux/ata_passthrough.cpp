#include "backends/linux/ata_passthrough.h"

#include "os/win_constants.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::uint8_t AtaPassThrough16 = 0x85;

// Byte 1 carries the protocol in bits 1-4 (SAT-4 table 140).
constexpr std::uint8_t ProtocolNonData = 3;
constexpr std::uint8_t ProtocolPioDataIn = 4;
constexpr std::uint8_t ProtocolPioDataOut = 5;
constexpr std::uint8_t Extend = 0x01;

// Byte 2: CK_COND (bit 5), T_DIR (bit 3, from the device), BYT_BLOK (bit 2, count in blocks),
// T_LENGTH (bits 0-1, 2 = the length is in the sector count field).
constexpr std::uint8_t CheckCondition = 0x20;
constexpr std::uint8_t FromDevice = 0x08;
constexpr std::uint8_t BlocksFromCount = 0x06;

constexpr std::uint8_t SenseKeyRecoveredError = 0x01;
constexpr std::uint8_t AscqAtaInformationAvailable = 0x1D;  // ASC 00h, ASCQ 1Dh

constexpr std::uint8_t DescriptorAtaStatusReturn = 0x09;
constexpr std::uint16_t DriverSense = 0x08;  // the low nibble of driver_status when sense came back

// Host status codes (DID_*) that tell the device is gone or timed out.
constexpr std::uint16_t DidNoConnect = 0x01;
constexpr std::uint16_t DidTimeOut = 0x03;
constexpr std::uint16_t DidBadTarget = 0x04;

// Descriptor format: descriptors start at byte 8, byte 7 gives their total length.
// ATA Status Return descriptor (SAT-4 12.2.2.7), bytes from its start:
//   0 type 09h | 1 length 0Ch | 2 EXTEND | 3 ERROR | 4-5 COUNT (15:8, 7:0) | 6-11 LBA pairs
//   (31:24, 7:0, 39:32, 15:8, 47:40, 23:16) | 12 DEVICE | 13 STATUS
std::optional<AtaReturnRegisters> FindStatusReturnDescriptor(std::span<const std::uint8_t> sense) {
  if (sense.size() < 8) return std::nullopt;
  std::size_t end = 8 + static_cast<std::size_t>(sense[7]);
  if (end > sense.size()) end = sense.size();
  std::size_t at = 8;
  while (at + 2 <= end) {
    const std::size_t length = 2 + static_cast<std::size_t>(sense[at + 1]);
    if (sense[at] == DescriptorAtaStatusReturn && at + 14 <= end) {
      const auto d = sense.subspan(at, 14);
      return AtaReturnRegisters{d[3], d[5], d[7], d[9], d[11], d[12], d[13], d[4], d[6], d[8], d[10]};
    }
    at += length;
  }
  return std::nullopt;
}

// Fixed format: SAT-4 puts ERROR, STATUS, DEVICE and COUNT(7:0) in the INFORMATION field (bytes 3-6)
// and LBA(7:0, 15:8, 23:16) in bytes 9-11. libata before 6.5 wrote the four registers to bytes 8-11
// instead and the LBA to bytes 17-19, leaving bytes 3-6 zero. A completed ATA command never has a
// zero status register (DRDY or ERR is set), so zeros there mean the older layout.
AtaReturnRegisters FixedFormatRegisters(std::span<const std::uint8_t> sense) {
  const bool olderLibata = sense[3] == 0 && sense[4] == 0 && sense[5] == 0 && sense[6] == 0;
  if (olderLibata) {
    const auto at = [&](std::size_t i) -> std::uint8_t { return i < sense.size() ? sense[i] : 0; };
    return AtaReturnRegisters{sense[8], sense[11], at(17), at(18), at(19), sense[10], sense[9], 0, 0, 0, 0};
  }
  return AtaReturnRegisters{sense[3], sense[6], sense[9], sense[10], sense[11], sense[5], sense[4], 0, 0, 0, 0};
}

std::uint32_t HostStatusError(std::uint16_t hostStatus) {
  if (hostStatus == DidTimeOut) return ErrorCode::SemTimeout;
  if (hostStatus == DidNoConnect || hostStatus == DidBadTarget) return ErrorCode::DevNotExist;
  return ErrorCode::IoDevice;
}

}  // namespace

// ATA PASS-THROUGH(16), SAT-4 table 139:
//   0 opcode 85h | 1 protocol << 1, EXTEND | 2 flags | 3-4 FEATURES (15:8, 7:0)
//   5-6 COUNT (15:8, 7:0) | 7-8 LBA (31:24, 7:0) | 9-10 LBA (39:32, 15:8) | 11-12 LBA (47:40, 23:16)
//   13 DEVICE | 14 COMMAND | 15 CONTROL
// A 28-bit command leaves the upper bytes zero and carries LBA 27:24 in DEVICE bits 3:0.
PassThroughCdb BuildPassThrough16(const AtaCommand& command) {
  const auto byte = [](std::uint64_t value, int shift) { return static_cast<std::uint8_t>(value >> shift); };
  PassThroughCdb cdb{};
  cdb[0] = AtaPassThrough16;
  std::uint8_t protocol = ProtocolNonData;
  std::uint8_t flags = CheckCondition;
  if (command.direction == AtaDirection::In) {
    protocol = ProtocolPioDataIn;
    flags = FromDevice | BlocksFromCount;
  } else if (command.direction == AtaDirection::Out) {
    protocol = ProtocolPioDataOut;
    flags = BlocksFromCount;
  }
  cdb[1] = static_cast<std::uint8_t>(protocol << 1 | (command.extended ? Extend : 0));
  cdb[2] = flags;
  cdb[4] = byte(command.features, 0);
  cdb[6] = byte(command.count, 0);
  cdb[8] = byte(command.lba, 0);
  cdb[10] = byte(command.lba, 8);
  cdb[12] = byte(command.lba, 16);
  cdb[13] = command.device;
  if (command.extended) {
    cdb[3] = byte(command.features, 8);
    cdb[5] = byte(command.count, 8);
    cdb[7] = byte(command.lba, 24);
    cdb[9] = byte(command.lba, 32);
    cdb[11] = byte(command.lba, 40);
  } else {
    cdb[13] = static_cast<std::uint8_t>(command.device | (byte(command.lba, 24) & 0x0F));
  }
  cdb[14] = command.command;
  return cdb;
}

std::optional<SenseData> ParseSense(std::span<const std::uint8_t> sense) {
  if (sense.empty()) return std::nullopt;
  const std::uint8_t responseCode = sense[0] & 0x7F;
  if ((responseCode == 0x72 || responseCode == 0x73) && sense.size() >= 4) {
    return SenseData{static_cast<std::uint8_t>(sense[1] & 0x0F), sense[2], sense[3],
                     FindStatusReturnDescriptor(sense)};
  }
  if ((responseCode == 0x70 || responseCode == 0x71) && sense.size() >= 14) {
    return SenseData{static_cast<std::uint8_t>(sense[2] & 0x0F), sense[12], sense[13],
                     FixedFormatRegisters(sense)};
  }
  return std::nullopt;
}

AtaVerdict JudgeAtaOutcome(const ScsiOutcome& outcome) {
  AtaVerdict verdict;
  if (outcome.hostStatus != 0) {
    verdict.errorCode = HostStatusError(outcome.hostStatus);
    return verdict;
  }
  const std::uint16_t driverCode = outcome.driverStatus & 0x0F;
  if (driverCode != 0 && driverCode != DriverSense) {
    verdict.errorCode = ErrorCode::IoDevice;
    return verdict;
  }
  const auto sense = ParseSense(outcome.sense);
  if (sense) {
    verdict.registers = sense->registers;
    if (sense->registers) verdict.ataError = sense->registers->error;
  }
  const bool deviceError = verdict.registers && (verdict.registers->status & 0x01) != 0;
  // With CK_COND a completed command reports "ATA pass-through information available".
  const bool informationOnly = sense && sense->key == SenseKeyRecoveredError && sense->asc == 0 &&
                               sense->ascq == AscqAtaInformationAvailable;
  verdict.success = !deviceError && (outcome.status == 0 || informationOnly);
  if (!verdict.success) verdict.errorCode = ErrorCode::IoDevice;
  return verdict;
}

}  // namespace trelvane::linux_platform
