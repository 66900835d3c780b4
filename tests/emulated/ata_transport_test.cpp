// ATA commands through SMART_RCV_DRIVE_DATA, SMART_SEND_DRIVE_COMMAND and the miniport request:
// where the data sits in each answer, the returned counts and the scripted refusals. The default
// answers are read back whole by the core's request tests (ata_requests_test) and golden reports.

#include <cstring>

#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

// SRB_IO_CONTROL + SENDCMDINPARAMS in one 572-byte buffer, as the miniport fallback builds it.
std::vector<std::uint8_t> MiniportBuffer(const char* signature = "SCSIDISK") {
  std::vector<std::uint8_t> buffer(572, 0);
  WriteU32LE(buffer, 0, 28);
  std::memcpy(buffer.data() + 4, signature, 8);
  WriteU32LE(buffer, 12, 120);
  WriteU32LE(buffer, 16, Ioctl::ScsiMiniportIdentify);
  WriteU32LE(buffer, 24, 544);
  const auto params = SendCmdIn(512, IdentifyRegs, 0, 33);
  std::copy(params.begin(), params.end(), buffer.begin() + 28);
  return buffer;
}

// A drive whose IDENTIFY and SMART blocks are files in the machine's folder.
class AtaDrive : public ::testing::Test {
 protected:
  std::unique_ptr<EmulatedSystem> Load(const std::string& driveFields) {
    WriteBinaryFile(folder_.path() / "id.bin", PatternBlock(3));
    WriteBinaryFile(folder_.path() / "smart.bin", PatternBlock(7, 3));
    auto machine = LoadFromFolder(folder_.path(), "m.json",
                                  R"({"drives": [{"identify": "id.bin", "smart": "smart.bin")" + driveFields + "}]}");
    handle_ = machine->CreateFileW(Drive0, ReadWrite, Share::None);
    return machine;
  }
  TempDir folder_;
  Handle handle_ = InvalidHandle;
};

// The program copies the 512 bytes that end at the returned count; every answer size puts the data
// there, as far as the offered output allows.
TEST_F(AtaDrive, SmartReadDataEndsAtTheReturnedCount) {
  const std::pair<std::uint32_t, std::size_t> cases[] = {{528, 16}, {512, 0}, {1039, 527}};
  for (const auto& [bytes, dataAt] : cases) {
    SCOPED_TRACE(bytes);
    auto machine = Load(R"(, "smart_rcv_bytes": )" + std::to_string(bytes) + R"(, "smart_send_bytes": )" +
                        std::to_string(bytes));
    for (const std::uint32_t code : {Ioctl::SmartRcvDriveData, Ioctl::SmartSendDriveCommand}) {
      const Answer answer = Ask(*machine, handle_, code, SendCmdIn(512, SmartReadRegs, 0), 1039);
      ASSERT_TRUE(answer.ok);
      EXPECT_EQ(answer.returned, bytes);
      EXPECT_EQ(Slice(answer.out, dataAt, 512), PatternBlock(7, 3));
    }
  }
}

TEST_F(AtaDrive, AnswerLargerThanTheOutputIsCutToTheOutput) {
  auto machine = Load(R"(, "smart_rcv_bytes": 1039)");
  const Answer answer = Ask(*machine, handle_, Ioctl::SmartRcvDriveData, SendCmdIn(512, SmartReadRegs, 0), 600);
  ASSERT_TRUE(answer.ok);
  EXPECT_EQ(answer.returned, 600u);
  EXPECT_EQ(Slice(answer.out, 88, 512), PatternBlock(7, 3));
}

TEST_F(AtaDrive, ScriptedErrorsRefuseEachCommandOnItsOwn) {
  auto machine = Load(R"(, "identify_rcv_error": 31, "smart_rcv_fails": true, "smart_send_error": 1117,
                          "smart_enable_error": 21, "smart_disable_error": 1167, "miniport_error": 55)");
  const std::pair<Answer, std::uint32_t> cases[] = {
      {Ask(*machine, handle_, Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 528), 31},
      {Ask(*machine, handle_, Ioctl::SmartRcvDriveData, SendCmdIn(512, SmartReadRegs, 0), 1039), 0},
      {Ask(*machine, handle_, Ioctl::SmartSendDriveCommand, SendCmdIn(512, SmartReadRegs, 0), 1039), 1117},
      {Ask(*machine, handle_, Ioctl::SmartSendDriveCommand, SendCmdIn(0, SmartEnableRegs, 0), 527), 21},
      {Ask(*machine, handle_, Ioctl::SmartSendDriveCommand, SendCmdIn(0, SmartDisableRegs, 0), 527), 1167},
      {Ask(*machine, handle_, Ioctl::ScsiMiniport, MiniportBuffer(), 572), 55},
  };
  for (const auto& [answer, code] : cases) {
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.error, code);
  }
}

TEST_F(AtaDrive, EnableAndDisableReturnTheHeaderOnly) {
  auto machine = Load("");
  for (const AtaRegs& registers : {SmartEnableRegs, SmartDisableRegs}) {
    const Answer answer = Ask(*machine, handle_, Ioctl::SmartSendDriveCommand, SendCmdIn(0, registers, 0), 527);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.returned, 16u);
  }
}

TEST_F(AtaDrive, WrongRegistersOrBuffersAreRefusedAsTheDriverRefusesThem) {
  auto machine = Load("");
  const AtaRegs wrongCylinder{0xD0, 1, 1, 0, 0, 0xA0, 0xB0};
  EXPECT_EQ(Ask(*machine, handle_, Ioctl::SmartRcvDriveData, SendCmdIn(512, wrongCylinder, 0), 1039).error,
            ErrorCode::InvalidParameter);
  EXPECT_EQ(Ask(*machine, handle_, Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 31), 528).error,
            ErrorCode::InvalidParameter);
  EXPECT_EQ(Ask(*machine, handle_, Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 527).error,
            ErrorCode::InsufficientBuffer);
  EXPECT_EQ(Ask(*machine, handle_, Ioctl::SmartSendDriveCommand, SendCmdIn(0, IdentifyRegs, 0), 527).error,
            ErrorCode::InvalidParameter);
}

TEST_F(AtaDrive, MiniportAnswersOnlyTheDiskSignature) {
  auto machine = Load("");
  std::vector<std::uint8_t> buffer = MiniportBuffer("SCSIDISC");
  EXPECT_EQ(Ask(*machine, handle_, Ioctl::ScsiMiniport, buffer, 572).error, ErrorCode::InvalidFunction);
  const Answer answer = Ask(*machine, handle_, Ioctl::ScsiMiniport, MiniportBuffer(), 572);
  EXPECT_TRUE(answer.ok);
  EXPECT_EQ(answer.returned, 572u);
}

TEST(AtaWithoutData, DriveWithoutBlocksRefusesDataCommandsOnEveryTransport) {
  Machine machine(R"({"drives": [{}]})");
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  EXPECT_EQ(Ask(*machine, drive, Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 528).error,
            ErrorCode::InvalidFunction);
  EXPECT_EQ(Ask(*machine, drive, Ioctl::ScsiMiniport, MiniportBuffer(), 572).error, ErrorCode::InvalidFunction);
  EXPECT_EQ(Ask(*machine, drive, Ioctl::SmartRcvDriveData, SendCmdIn(512, SmartReadRegs, 0), 1039).error,
            ErrorCode::InvalidFunction);
  EXPECT_EQ(Ask(*machine, drive, Ioctl::SmartSendDriveCommand, SendCmdIn(512, SmartReadRegs, 0), 1039).error,
            ErrorCode::InvalidFunction);
  EXPECT_TRUE(Ask(*machine, drive, Ioctl::SmartSendDriveCommand, SendCmdIn(0, SmartEnableRegs, 0), 527).ok);
}

TEST(InlineBlocks, IdentifyWordsTakeNumbersAndAtaTexts) {
  Machine machine(R"({"drives": [{"identify_words": {"0": 64, "23": "1.0", "27": "DEMO", "106": 24579}}]})");
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  const Answer answer = Ask(*machine, drive, Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 528);
  ASSERT_TRUE(answer.ok);
  const std::vector<std::uint8_t> identify = Slice(answer.out, 16, 512);
  EXPECT_EQ(Word(identify, 0), 64);
  // ATA text: the first character of each pair in the high byte; an odd length ends with a blank.
  EXPECT_EQ(Slice(identify, 46, 4), (std::vector<std::uint8_t>{'.', '1', ' ', '0'}));
  EXPECT_EQ(Slice(identify, 54, 4), (std::vector<std::uint8_t>{'E', 'D', 'O', 'M'}));
  EXPECT_EQ(Word(identify, 106), 24579);
  EXPECT_EQ(Word(identify, 29), 0) << "words not given stay zero";
}

TEST(InlineBlocks, IdentifyWordsPatchTheIdentifyFile) {
  TempDir folder;
  WriteBinaryFile(folder.path() / "id.bin", PatternBlock(0));
  const auto machine = LoadFromFolder(folder.path(), "m.json",
                                      R"({"drives": [{"identify": "id.bin", "identify_words": {"1": 4660}}]})");
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  const Answer answer = Ask(*machine, drive, Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 528);
  std::vector<std::uint8_t> expected = PatternBlock(0);
  expected[2] = 0x34;
  expected[3] = 0x12;
  EXPECT_EQ(Slice(answer.out, 16, 512), expected);
}

TEST(InlineBlocks, SmartAttributesAreTwelveByteRecordsFromByte2WithAChecksum) {
  Machine machine(R"({"drives": [{"smart_attributes": [
      {"id": 194, "flags": 34, "current": 113, "worst": 100, "raw": 244233888015397},
      {"id": 9}]}]})");
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  const Answer answer = Ask(*machine, drive, Ioctl::SmartRcvDriveData, SendCmdIn(512, SmartReadRegs, 0), 1039);
  ASSERT_TRUE(answer.ok);
  const std::vector<std::uint8_t> smart = Slice(answer.out, 16, 512);
  EXPECT_EQ(Slice(smart, 0, 26), (std::vector<std::uint8_t>{0, 0,                                  // revision
                                                            194, 34, 0, 113, 100,                  // id flags cur worst
                                                            0x25, 0x24, 0x23, 0x22, 0x21, 0xDE, 0,  // raw, reserved
                                                            9, 0, 0, 100, 100, 0, 0, 0, 0, 0, 0, 0}));
  unsigned sum = 0;
  for (const std::uint8_t byte : smart) sum += byte;
  EXPECT_EQ(sum % 256, 0u);
}

}  // namespace
}  // namespace trelvane::testing
