// SMART_RCV_DRIVE_DATA, SMART_SEND_DRIVE_COMMAND and the miniport IDENTIFY, with a recording runner.

#include "os/linux/smart_requests.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "os/bytes.h"

namespace trelvane::linux_platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct FakeDrive {
  std::vector<AtaRegisters> commands;
  std::vector<bool> checkConditions;
  AtaCommandResult answer{true, 0, 0, AtaReturnRegisters{0, 1, 1, 0x4F, 0xC2, 0xA0, 0x50}};

  AtaRunner Runner() {
    return [this](const AtaRegisters& regs, AtaDataPhase phase, bool checkCondition, std::span<std::uint8_t> data) {
      commands.push_back(regs);
      checkConditions.push_back(checkCondition);
      if (phase == AtaDataPhase::In512 && answer.ok)
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
      return answer;
    };
  }
};

// SENDCMDINPARAMS: cBufferSize 0 | irDriveRegs 4 | bDriveNumber 12.
Bytes SendCmdIn(std::uint32_t bufferSize, std::array<std::uint8_t, 7> regs, std::uint8_t driveNumber,
                std::size_t size = 33) {
  Bytes in(size, 0);
  WriteU32LE(in, 0, bufferSize);
  std::copy(regs.begin(), regs.end(), in.begin() + 4);
  in[12] = driveNumber;
  return in;
}

TEST(SmartReceive, IdentifyReturnsTheHeaderAndTheDataAt16) {
  FakeDrive drive;
  Bytes out(1039, 0xEE);
  const DeviceReply result = SmartReceive(SendCmdIn(512, {0, 1, 1, 0, 0, 0xB0, 0xEC}, 0), out, drive.Runner());
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.returned, 528u);
  EXPECT_EQ(ReadU32LE(out, 0), 512u);
  EXPECT_EQ(out[4], 0);  // bDriverError
  EXPECT_EQ(out[16], 0);
  EXPECT_EQ(out[16 + 3], 21);
  EXPECT_EQ(out[527], static_cast<std::uint8_t>(511 * 7));
  ASSERT_EQ(drive.commands.size(), 1u);
  EXPECT_EQ(drive.commands[0].DriveHead, 0xB0);
  EXPECT_EQ(drive.commands[0].Command, 0xEC);
}

TEST(SmartReceive, SmartReadAlwaysCarriesTheSmartSignature) {
  FakeDrive drive;
  Bytes out(528);
  ASSERT_TRUE(SmartReceive(SendCmdIn(512, {0xD0, 1, 1, 0, 0, 0xA0, 0xB0}, 0, 32), out, drive.Runner()).ok);
  EXPECT_EQ(drive.commands[0].CylinderLow, 0x4F);
  EXPECT_EQ(drive.commands[0].CylinderHigh, 0xC2);
}

TEST(SmartReceive, RefusesShortBuffersAndCommandsWithoutData) {
  FakeDrive drive;
  Bytes out(528);
  Bytes shortOut(527);
  EXPECT_EQ(SmartReceive(SendCmdIn(512, {0, 1, 1, 0, 0, 0xA0, 0xEC}, 0, 31), out, drive.Runner()).error, 87u);
  EXPECT_EQ(SmartReceive(SendCmdIn(512, {0, 1, 1, 0, 0, 0xA0, 0xEC}, 0), shortOut, drive.Runner()).error, 122u);
  EXPECT_EQ(SmartReceive(SendCmdIn(512, {0xD8, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, 0), out, drive.Runner()).error, 87u);
  EXPECT_TRUE(drive.commands.empty());
}

TEST(SmartReceive, ACommandTheDriveAbortsFailsAndReportsItsErrorRegister) {
  FakeDrive drive;
  drive.answer = AtaCommandResult{false, 1117, 0x04, std::nullopt};
  Bytes out(528, 0);
  const DeviceReply result = SmartReceive(SendCmdIn(512, {0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, 0), out, drive.Runner());
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, 1117u);
  EXPECT_EQ(out[4], 1);     // SMART_IDE_ERROR
  EXPECT_EQ(out[5], 0x04);  // ABRT
  EXPECT_EQ(out[16], 0);    // no data
}

TEST(SmartSend, EnableAndDisableReturnTheSixteenByteHeader) {
  FakeDrive drive;
  Bytes out(527, 0);
  const DeviceReply enable = SmartSend(SendCmdIn(0, {0xD8, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, 0, 32), out, drive.Runner());
  const DeviceReply disable = SmartSend(SendCmdIn(0, {0xD9, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0}, 1, 32), out, drive.Runner());
  EXPECT_TRUE(enable.ok);
  EXPECT_EQ(enable.returned, 16u);
  EXPECT_TRUE(disable.ok);
  EXPECT_EQ(drive.commands[1].DriveHead, 0xB0);
  EXPECT_FALSE(drive.checkConditions[0]);
}

TEST(SmartSend, ReadDataIsRefusedAsThePlatformsDriverRefusesIt) {
  FakeDrive drive;
  Bytes out(1039);
  EXPECT_EQ(SmartSend(SendCmdIn(512, {0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, 0), out, drive.Runner()).error, 87u);
  EXPECT_EQ(SmartSend(SendCmdIn(0, {0, 1, 1, 0, 0, 0xA0, 0xEC}, 0), out, drive.Runner()).error, 87u);
  EXPECT_TRUE(drive.commands.empty());
}

TEST(SmartSend, ReturnStatusAsksForTheRegistersAndReturnsThem) {
  FakeDrive drive;
  Bytes out(528, 0);
  const DeviceReply result = SmartSend(SendCmdIn(0, {0xDA, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0}, 0), out, drive.Runner());
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(drive.checkConditions[0]);
  EXPECT_EQ(result.returned, 24u);
  EXPECT_EQ(ReadU32LE(out, 0), 8u);
  EXPECT_EQ(out[16 + 3], 0x4F);
  EXPECT_EQ(out[16 + 4], 0xC2);
  EXPECT_EQ(out[16 + 6], 0x50);
}

// SRB_IO_CONTROL followed by SENDCMDINPARAMS, as the program fills the 572-byte buffer.
Bytes MiniportRequest(const char* signature, std::uint32_t controlCode, std::uint8_t driveNumber) {
  Bytes buffer(572, 0);
  WriteU32LE(buffer, 0, 28);
  std::memcpy(buffer.data() + 4, signature, 8);
  WriteU32LE(buffer, 12, 120);
  WriteU32LE(buffer, 16, controlCode);
  WriteU32LE(buffer, 24, 544);
  const Bytes in = SendCmdIn(512, {0, 1, 1, 0, 0, static_cast<std::uint8_t>(0xA0 | driveNumber << 4), 0xEC}, driveNumber);
  std::copy(in.begin(), in.end(), buffer.begin() + 28);
  return buffer;
}

TEST(MiniportIdentify, PutsTheDataAtByte44AndReturns556) {
  FakeDrive drive;
  Bytes buffer = MiniportRequest("SCSIDISK", 0x001B0501, 1);
  const DeviceReply result = MiniportIdentify(buffer, buffer, drive.Runner());
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.returned, 556u);
  EXPECT_EQ(ReadU32LE(buffer, 0), 28u);
  EXPECT_EQ(ReadU32LE(buffer, 28), 512u);
  EXPECT_EQ(buffer[44 + 1], 7);
  EXPECT_EQ(buffer[555], static_cast<std::uint8_t>(511 * 7));
  EXPECT_EQ(drive.commands[0].DriveHead, 0xB0);  // bDriveNumber 1 selects the slave
}

TEST(MiniportIdentify, RefusesOtherSignaturesControlCodesAndShortBuffers) {
  FakeDrive drive;
  Bytes wrongSignature = MiniportRequest("SCSIDISX", 0x001B0501, 0);
  Bytes wrongCode = MiniportRequest("SCSIDISK", 0x001B0502, 0);
  Bytes good = MiniportRequest("SCSIDISK", 0x001B0501, 0);
  Bytes shortOut(555);
  EXPECT_EQ(MiniportIdentify(wrongSignature, wrongSignature, drive.Runner()).error, 1u);
  EXPECT_EQ(MiniportIdentify(wrongCode, wrongCode, drive.Runner()).error, 1u);
  EXPECT_EQ(MiniportIdentify(good, shortOut, drive.Runner()).error, 122u);
  EXPECT_TRUE(drive.commands.empty());
}

}  // namespace
}  // namespace trelvane::linux_platform
