// ATA commands through SMART_RCV_DRIVE_DATA, SMART_SEND_DRIVE_COMMAND and the miniport request:
// where the data sits in each answer, the returned counts and the scripted refusals. The default
// answers are read back whole by the core's request tests (ata_requests_test) and golden reports.

#include <cstring>
#include <tuple>

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
  // Without blocks, the drive has neither file.
  std::unique_ptr<EmulatedSystem> Load(const std::string& driveFields, bool withBlocks = true) {
    WriteBinaryFile(folder_.path() / "id.bin", PatternBlock(3));
    WriteBinaryFile(folder_.path() / "smart.bin", PatternBlock(7, 3));
    const std::string blocks = withBlocks ? R"("identify": "id.bin", "smart": "smart.bin")" : "";
    auto machine = LoadFromFolder(folder_.path(), "m.json", R"({"drives": [{)" + blocks + driveFields + "}]}");
    handle_ = machine->CreateFileW(Drive0, ReadWrite, Share::None);
    return machine;
  }
  TempDir folder_;
  Handle handle_ = InvalidHandle;
};

// The program copies the 512 bytes that end at the returned count; every answer size puts the data
// there, as far as the offered output allows (an answer larger than the output is cut to it).
TEST_F(AtaDrive, SmartReadDataEndsAtTheReturnedCount) {
  const std::tuple<std::uint32_t, std::size_t, std::uint32_t, std::size_t> cases[] = {
      {528, 1039, 528, 16}, {512, 1039, 512, 0}, {1039, 1039, 1039, 527}, {1039, 600, 600, 88}};
  for (const auto& [bytes, output, returned, dataAt] : cases) {
    SCOPED_TRACE(::testing::Message() << bytes << " into " << output);
    auto machine = Load(R"(, "smart_rcv_bytes": )" + std::to_string(bytes) + R"(, "smart_send_bytes": )" +
                        std::to_string(bytes));
    for (const std::uint32_t code : {Ioctl::SmartRcvDriveData, Ioctl::SmartSendDriveCommand}) {
      const Answer answer = Ask(*machine, handle_, code, SendCmdIn(512, SmartReadRegs, 0), output);
      ASSERT_TRUE(answer.ok);
      EXPECT_EQ(answer.returned, returned);
      EXPECT_EQ(Slice(answer.out, dataAt, 512), PatternBlock(7, 3));
    }
  }
}

// Each request on a drive with its blocks ("" fields), with scripted refusals, or without blocks:
// answered with the count returned, or refused with the driver's code.
TEST_F(AtaDrive, EachCommandIsAnsweredOrRefusedOnItsOwn) {
  const std::string scripted = R"(, "identify_rcv_error": 31, "smart_rcv_fails": true, "smart_send_error": 1117,
      "smart_enable_error": 21, "smart_disable_error": 1167, "miniport_error": 55)";
  const AtaRegs wrongCylinder{0xD0, 1, 1, 0, 0, 0xA0, 0xB0};
  struct Case {
    bool withBlocks;
    std::string fields;
    std::uint32_t code;
    std::vector<std::uint8_t> in;
    std::size_t outSize;
    bool ok;
    std::uint32_t returnedOrError;
  };
  const Case cases[] = {
      {true, scripted, Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 528, false, 31},
      {true, scripted, Ioctl::SmartRcvDriveData, SendCmdIn(512, SmartReadRegs, 0), 1039, false, 0},
      {true, scripted, Ioctl::SmartSendDriveCommand, SendCmdIn(512, SmartReadRegs, 0), 1039, false, 1117},
      {true, scripted, Ioctl::SmartSendDriveCommand, SendCmdIn(0, SmartEnableRegs, 0), 527, false, 21},
      {true, scripted, Ioctl::SmartSendDriveCommand, SendCmdIn(0, SmartDisableRegs, 0), 527, false, 1167},
      {true, scripted, Ioctl::ScsiMiniport, MiniportBuffer(), 572, false, 55},
      // Enable and disable return the header only.
      {true, "", Ioctl::SmartSendDriveCommand, SendCmdIn(0, SmartEnableRegs, 0), 527, true, 16},
      {true, "", Ioctl::SmartSendDriveCommand, SendCmdIn(0, SmartDisableRegs, 0), 527, true, 16},
      // Wrong registers or buffers are refused as the driver refuses them.
      {true, "", Ioctl::SmartRcvDriveData, SendCmdIn(512, wrongCylinder, 0), 1039, false, ErrorCode::InvalidParameter},
      {true, "", Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 31), 528, false, ErrorCode::InvalidParameter},
      {true, "", Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 527, false, ErrorCode::InsufficientBuffer},
      {true, "", Ioctl::SmartSendDriveCommand, SendCmdIn(0, IdentifyRegs, 0), 527, false, ErrorCode::InvalidParameter},
      // The miniport answers only the disk signature.
      {true, "", Ioctl::ScsiMiniport, MiniportBuffer("SCSIDISC"), 572, false, ErrorCode::InvalidFunction},
      {true, "", Ioctl::ScsiMiniport, MiniportBuffer(), 572, true, 572},
      // A drive without blocks refuses data commands on every transport, but not enable.
      {false, "", Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 528, false, ErrorCode::InvalidFunction},
      {false, "", Ioctl::ScsiMiniport, MiniportBuffer(), 572, false, ErrorCode::InvalidFunction},
      {false, "", Ioctl::SmartRcvDriveData, SendCmdIn(512, SmartReadRegs, 0), 1039, false, ErrorCode::InvalidFunction},
      {false, "", Ioctl::SmartSendDriveCommand, SendCmdIn(512, SmartReadRegs, 0), 1039, false, ErrorCode::InvalidFunction},
      {false, "", Ioctl::SmartSendDriveCommand, SendCmdIn(0, SmartEnableRegs, 0), 527, true, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.code << (c.withBlocks ? "" : " without blocks") << c.fields);
    auto machine = Load(c.fields, c.withBlocks);
    const Answer answer = Ask(*machine, handle_, c.code, c.in, c.outSize);
    EXPECT_EQ(answer.ok, c.ok);
    EXPECT_EQ(c.ok ? answer.returned : answer.error, c.returnedOrError);
  }
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
