// ATA PASS-THROUGH(16) blocks and the reading of what libata sends back.

#include "os/linux/ata_passthrough.h"

#include <gtest/gtest.h>

#include <vector>

#include "os/win_constants.h"

namespace trelvane::linux_platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cdb(const AtaRegisters& regs, AtaDataPhase phase, bool checkCondition = false) {
  const PassThroughCdb cdb = BuildPassThrough16(regs, phase, checkCondition);
  return Bytes(cdb.begin(), cdb.end());
}

TEST(BuildPassThrough16, IdentifyDeviceIsPioDataInOfOneBlock) {
  EXPECT_EQ(Cdb({0, 1, 1, 0, 0, 0xA0, 0xEC}, AtaDataPhase::In512),
            (Bytes{0x85, 0x08, 0x0E, 0, 0, 0, 0x01, 0, 0x01, 0, 0, 0, 0, 0xA0, 0xEC, 0}));
}

TEST(BuildPassThrough16, SmartReadDataCarriesTheSmartSignatureAndTheSlaveSelector) {
  EXPECT_EQ(Cdb({0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, AtaDataPhase::In512),
            (Bytes{0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
  EXPECT_EQ(Cdb({0xD0, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0}, AtaDataPhase::In512)[13], 0xB0);
}

TEST(BuildPassThrough16, SmartEnableAndDisableAreNonData) {
  EXPECT_EQ(Cdb({0xD8, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, AtaDataPhase::None),
            (Bytes{0x85, 0x06, 0x00, 0, 0xD8, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
  EXPECT_EQ(Cdb({0xD9, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, AtaDataPhase::None),
            (Bytes{0x85, 0x06, 0x00, 0, 0xD9, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
}

TEST(BuildPassThrough16, CheckConditionSetsOnlyCkCond) {
  EXPECT_EQ(Cdb({0xDA, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, AtaDataPhase::None, true)[2], 0x20);
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
