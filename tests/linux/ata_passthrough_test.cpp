// ATA PASS-THROUGH(16) blocks and the reading of what libata sends back.

#include "backends/linux/ata_passthrough.h"

#include <gtest/gtest.h>

#include <vector>

#include "ata/ata_commands.h"
#include "os/win_constants.h"

namespace trelvane::linux_platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cdb(const AtaCommand& command) {
  const PassThroughCdb cdb = BuildPassThrough16(command);
  return Bytes(cdb.begin(), cdb.end());
}

// The program's own commands as SAT-4 carries them: PIO data-in of one block counted in COUNT, or
// non-data asking for the registers back (CK_COND); bit 4 of DEVICE selects the slave. A 48-bit
// command fills the upper bytes and EXTEND; a 28-bit one carries LBA 27:24 in DEVICE and drops
// everything above; data-out is PIO protocol 5 without T_DIR.
TEST(BuildPassThrough16, TheProgramsCommandsAndBothAddressWidths) {
  AtaCommand write{0x0102, 0x0304, 0x0000'A1B2'C3D4'E5F6};
  write.device = 0x40, write.command = 0x34, write.extended = true, write.direction = AtaDirection::Out;
  AtaCommand read = write;
  read.extended = false, read.lba = 0x0ABC'DEF1, read.direction = AtaDirection::In;
  const std::pair<AtaCommand, Bytes> cases[] = {
      {IdentifyDeviceCommand(0), {0x85, 0x08, 0x0E, 0, 0, 0, 0x01, 0, 0x01, 0, 0, 0, 0, 0xA0, 0xEC, 0}},
      {SmartReadDataCommand(1), {0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xB0, 0xB0, 0}},
      {SmartEnableOperationsCommand(0), {0x85, 0x06, 0x20, 0, 0xD8, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
      {SmartDisableOperationsCommand(0), {0x85, 0x06, 0x20, 0, 0xD9, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
      {write, {0x85, 0x0B, 0x06, 0x01, 0x02, 0x03, 0x04, 0xC3, 0xF6, 0xB2, 0xE5, 0xA1, 0xD4, 0x40, 0x34, 0}},
      {read, {0x85, 0x08, 0x0E, 0, 0x02, 0, 0x04, 0, 0xF1, 0, 0xDE, 0, 0xBC, 0x4A, 0x34, 0}},
  };
  for (const auto& [command, cdb] : cases) EXPECT_EQ(Cdb(command), cdb) << int(command.features);
}

// An aborted command as libata 6.1 reports it: fixed format, key ABORTED COMMAND, the registers at
// bytes 8-11 (error 04 ABRT, status 41 DRDY|ERR, device E0, count 01).
const Bytes OlderLibataAbort{0x70, 0x00, 0x0B, 0, 0, 0, 0, 0x0A, 0x04, 0x41, 0xE0, 0x01, 0x00, 0x00, 0, 0, 0, 0};

// A completed command with CK_COND: descriptor format, RECOVERED ERROR, 00/1D, and the ATA Status
// Return descriptor 09 0C (error 0, count 1, LBA 4F/C2 in mid/high, device A0, status 50).
const Bytes CheckConditionSuccess{0x72, 0x01, 0x00, 0x1D, 0, 0, 0, 0x0E,
                                  0x09, 0x0C, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
                                  0x00, 0x4F, 0x00, 0xC2, 0xA0, 0x50};

// Error, count, LBA low, mid, high, device, status, then count 15:8 and LBA 31:24, 39:32, 47:40.
using Registers = std::array<std::uint8_t, 11>;
Registers Fields(const AtaReturnRegisters& r) {
  return {r.error, r.sectorCount, r.lbaLow, r.lbaMid, r.lbaHigh, r.device, r.status,
          r.countHigh, r.lbaLowHigh, r.lbaMidHigh, r.lbaHighHigh};
}

// Fixed format keeps the registers at bytes 8-11 (older libata) or in the information field (SAT);
// descriptor format finds the ATA Status Return descriptor (with a 48-bit command's upper bytes),
// skips other descriptors and stops at the stated length.
TEST(ParseSense, FixedAndDescriptorFormats) {
  Bytes extended = CheckConditionSuccess;
  extended[12] = 0x11, extended[14] = 0x22, extended[16] = 0x33, extended[18] = 0x44;
  struct Case {
    const char* name;
    Bytes sense;
    std::optional<std::array<std::uint8_t, 3>> keyAscAscq;  // nullopt: no sense data at all
    std::optional<Registers> registers;
  };
  const Case cases[] = {
      {"older libata", OlderLibataAbort, {{0x0B, 0, 0}}, Registers{0x04, 0x01, 0, 0, 0, 0xE0, 0x41}},
      {"SAT fixed", {0x70, 0x00, 0x0B, 0x04, 0x51, 0xF0, 0x01, 0x0A, 0x00, 0x11, 0x22, 0x33, 0x00, 0x00},
       {{0x0B, 0, 0}}, Registers{0x04, 0x01, 0x11, 0x22, 0x33, 0xF0, 0x51}},
      {"descriptor", CheckConditionSuccess, {{0x01, 0x00, 0x1D}}, Registers{0, 0x01, 0, 0x4F, 0xC2, 0xA0, 0x50}},
      {"48-bit descriptor", extended, {{0x01, 0x00, 0x1D}},
       Registers{0, 0x01, 0, 0x4F, 0xC2, 0xA0, 0x50, 0x11, 0x22, 0x33, 0x44}},
      {"other descriptor", {0x72, 0x0B, 0x00, 0x00, 0, 0, 0, 0x0A, 0x00, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {{0x0B, 0, 0}}, std::nullopt},
      {"neither format", {0x00, 0x01}, std::nullopt, std::nullopt},
      {"empty", {}, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto sense = ParseSense(c.sense);
    ASSERT_EQ(sense.has_value(), c.keyAscAscq.has_value());
    if (!sense) continue;
    EXPECT_EQ((std::array{sense->key, sense->asc, sense->ascq}), *c.keyAscAscq);
    ASSERT_EQ(sense->registers.has_value(), c.registers.has_value());
    if (sense->registers) { EXPECT_EQ(Fields(*sense->registers), *c.registers); }
  }
}

// Good status and CK_COND's information succeed; an aborted command fails with the device's error
// register; transport failures map to time-out, gone device or a plain device error.
TEST(JudgeAtaOutcome, StatusSenseAndTransport) {
  const std::tuple<ScsiOutcome, bool, std::uint32_t, std::uint8_t, std::optional<std::uint8_t>> cases[] = {
      {{0, 0, 0, {}}, true, 0, 0, std::nullopt},
      {{0x02, 0, 0x08, CheckConditionSuccess}, true, 0, 0, 0xC2},
      {{0x02, 0, 0x08, OlderLibataAbort}, false, ErrorCode::IoDevice, 0x04, 0},
      {{0, 0x03, 0, {}}, false, ErrorCode::SemTimeout, 0, std::nullopt},
      {{0, 0x01, 0, {}}, false, ErrorCode::DevNotExist, 0, std::nullopt},
      {{0, 0x07, 0, {}}, false, ErrorCode::IoDevice, 0, std::nullopt},
      {{0, 0, 0x06, {}}, false, ErrorCode::IoDevice, 0, std::nullopt},
  };
  for (const auto& [outcome, success, code, ataError, lbaHigh] : cases) {
    const AtaVerdict verdict = JudgeAtaOutcome(outcome);
    SCOPED_TRACE(::testing::Message() << int(outcome.status) << "/" << outcome.hostStatus << "/" << outcome.driverStatus);
    EXPECT_EQ(std::tuple(verdict.success, verdict.errorCode, verdict.ataError), std::tuple(success, code, ataError));
    EXPECT_EQ(verdict.registers ? std::optional(verdict.registers->lbaHigh) : std::nullopt, lbaHigh);
  }
}

}  // namespace
}  // namespace trelvane::linux_platform
