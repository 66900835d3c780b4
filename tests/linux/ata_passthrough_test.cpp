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
// non-data asking for the registers back (CK_COND); bit 4 of DEVICE selects the slave.
TEST(BuildPassThrough16, TheProgramsCommands) {
  EXPECT_EQ(Cdb(IdentifyDeviceCommand(0)), (Bytes{0x85, 0x08, 0x0E, 0, 0, 0, 0x01, 0, 0x01, 0, 0, 0, 0, 0xA0, 0xEC, 0}));
  EXPECT_EQ(Cdb(SmartReadDataCommand(1)),
            (Bytes{0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xB0, 0xB0, 0}));
  EXPECT_EQ(Cdb(SmartEnableOperationsCommand(0)),
            (Bytes{0x85, 0x06, 0x20, 0, 0xD8, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
  EXPECT_EQ(Cdb(SmartDisableOperationsCommand(0))[4], 0xD9);
}

// A 48-bit command fills the upper bytes and EXTEND; a 28-bit one carries LBA 27:24 in DEVICE and
// drops everything above; data-out is PIO protocol 5 without T_DIR.
TEST(BuildPassThrough16, FortyEightAndTwentyEightBitRegisters) {
  AtaCommand write;
  write.features = 0x0102;
  write.count = 0x0304;
  write.lba = 0x0000'A1B2'C3D4'E5F6;
  write.device = 0x40;
  write.command = 0x34;
  write.extended = true;
  write.direction = AtaDirection::Out;
  EXPECT_EQ(Cdb(write), (Bytes{0x85, 0x0B, 0x06, 0x01, 0x02, 0x03, 0x04, 0xC3, 0xF6, 0xB2, 0xE5, 0xA1, 0xD4, 0x40, 0x34, 0}));
  write.extended = false;
  write.lba = 0x0ABC'DEF1;
  write.direction = AtaDirection::In;
  EXPECT_EQ(Cdb(write), (Bytes{0x85, 0x08, 0x0E, 0, 0x02, 0, 0x04, 0, 0xF1, 0, 0xDE, 0, 0xBC, 0x4A, 0x34, 0}));
}

// An aborted command as libata 6.1 reports it: fixed format, key ABORTED COMMAND, the registers at
// bytes 8-11 (error 04 ABRT, status 41 DRDY|ERR, device E0, count 01).
const Bytes OlderLibataAbort{0x70, 0x00, 0x0B, 0, 0, 0, 0, 0x0A, 0x04, 0x41, 0xE0, 0x01, 0x00, 0x00, 0, 0, 0, 0};

// A completed command with CK_COND: descriptor format, RECOVERED ERROR, 00/1D, and the ATA Status
// Return descriptor 09 0C (error 0, count 1, LBA 4F/C2 in mid/high, device A0, status 50).
const Bytes CheckConditionSuccess{0x72, 0x01, 0x00, 0x1D, 0, 0, 0, 0x0E,
                                  0x09, 0x0C, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
                                  0x00, 0x4F, 0x00, 0xC2, 0xA0, 0x50};

TEST(ParseSense, FixedFormatOfOlderLibataKeepsRegistersAtBytes8To11) {
  const auto sense = ParseSense(OlderLibataAbort);
  ASSERT_TRUE(sense);
  EXPECT_EQ(sense->key, 0x0B);
  ASSERT_TRUE(sense->registers);
  EXPECT_EQ(sense->registers->error, 0x04);
  EXPECT_EQ(sense->registers->status, 0x41);
  EXPECT_EQ(sense->registers->device, 0xE0);
  EXPECT_EQ(sense->registers->sectorCount, 0x01);
}

TEST(ParseSense, FixedFormatOfSatKeepsRegistersInTheInformationField) {
  const Bytes sat{0x70, 0x00, 0x0B, 0x04, 0x51, 0xF0, 0x01, 0x0A, 0x00, 0x11, 0x22, 0x33, 0x00, 0x00};
  const auto sense = ParseSense(sat);
  ASSERT_TRUE(sense && sense->registers);
  EXPECT_EQ(sense->registers->error, 0x04);
  EXPECT_EQ(sense->registers->status, 0x51);
  EXPECT_EQ(sense->registers->device, 0xF0);
  EXPECT_EQ(sense->registers->lbaLow, 0x11);
  EXPECT_EQ(sense->registers->lbaHigh, 0x33);
}

TEST(ParseSense, DescriptorFormatFindsTheAtaStatusReturnDescriptor) {
  const auto sense = ParseSense(CheckConditionSuccess);
  ASSERT_TRUE(sense);
  EXPECT_EQ(sense->key, 0x01);
  EXPECT_EQ(sense->asc, 0x00);
  EXPECT_EQ(sense->ascq, 0x1D);
  ASSERT_TRUE(sense->registers);
  EXPECT_EQ(sense->registers->sectorCount, 0x01);
  EXPECT_EQ(sense->registers->lbaMid, 0x4F);
  EXPECT_EQ(sense->registers->lbaHigh, 0xC2);
  EXPECT_EQ(sense->registers->device, 0xA0);
  EXPECT_EQ(sense->registers->status, 0x50);

  Bytes extended = CheckConditionSuccess;  // count 15:8 and LBA 31:24, 39:32, 47:40 of a 48-bit command
  extended[12] = 0x11;
  extended[14] = 0x22;
  extended[16] = 0x33;
  extended[18] = 0x44;
  const auto upper = ParseSense(extended);
  ASSERT_TRUE(upper && upper->registers);
  EXPECT_EQ(upper->registers->countHigh, 0x11);
  EXPECT_EQ(upper->registers->lbaLowHigh, 0x22);
  EXPECT_EQ(upper->registers->lbaMidHigh, 0x33);
  EXPECT_EQ(upper->registers->lbaHighHigh, 0x44);
}

TEST(ParseSense, DescriptorFormatSkipsOtherDescriptorsAndStopsAtTheStatedLength) {
  Bytes sense{0x72, 0x0B, 0x00, 0x00, 0, 0, 0, 0x0A, 0x00, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const auto withoutAta = ParseSense(sense);
  ASSERT_TRUE(withoutAta);
  EXPECT_FALSE(withoutAta->registers);
  EXPECT_FALSE(ParseSense(Bytes{0x00, 0x01}));
  EXPECT_FALSE(ParseSense(Bytes{}));
}

TEST(JudgeAtaOutcome, GoodStatusSucceeds) {
  EXPECT_TRUE(JudgeAtaOutcome({0, 0, 0, {}}).success);
}

TEST(JudgeAtaOutcome, CheckConditionWithPassThroughInformationSucceedsWithRegisters) {
  const AtaVerdict verdict = JudgeAtaOutcome({0x02, 0, 0x08, CheckConditionSuccess});
  EXPECT_TRUE(verdict.success);
  ASSERT_TRUE(verdict.registers);
  EXPECT_EQ(verdict.registers->lbaHigh, 0xC2);
}

TEST(JudgeAtaOutcome, AbortedCommandFailsWithTheDeviceErrorRegister) {
  const AtaVerdict verdict = JudgeAtaOutcome({0x02, 0, 0x08, OlderLibataAbort});
  EXPECT_FALSE(verdict.success);
  EXPECT_EQ(verdict.ataError, 0x04);
  EXPECT_EQ(verdict.errorCode, ErrorCode::IoDevice);
}

TEST(JudgeAtaOutcome, TransportFailuresMapToTimeoutAndGoneDevice) {
  EXPECT_EQ(JudgeAtaOutcome({0, 0x03, 0, {}}).errorCode, ErrorCode::SemTimeout);
  EXPECT_EQ(JudgeAtaOutcome({0, 0x01, 0, {}}).errorCode, ErrorCode::DevNotExist);
  EXPECT_EQ(JudgeAtaOutcome({0, 0x07, 0, {}}).errorCode, ErrorCode::IoDevice);
  EXPECT_FALSE(JudgeAtaOutcome({0, 0, 0x06, {}}).success);
}

}  // namespace
}  // namespace trelvane::linux_platform
