// The ATA requests the program sends, in order and byte for byte, on emulated drives.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ata/ata_commands.h"
#include "ata/ata_transport.h"
#include "ata/device_details.h"
#include "ata/smart_report.h"
#include "os/win_constants.h"
#include "program_bench.h"
#include "os/bytes.h"
#include "test_support.h"

namespace trelvane {
namespace {

using testing::ProgramBench;
using Block = std::array<std::uint8_t, 512>;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* DriveFile = "ST320410A--3.39";

// One drive 0 carrying a real drive's IDENTIFY and SMART blocks, plus `fields` (JSON members).
ProgramBench OneDrive(const std::string& fields = "") {
  const std::string json = std::string(R"({"system": {"clock": "2026-12-07T10:15:30.250", "clock_step_ms": 0},)") +
                           R"("drives": [{"number": 0, "identify": ")" + DriveFile + R"(.identify.bin", "smart": ")" +
                           DriveFile + R"(.smart.bin")" + fields + "}]}";
  return ProgramBench(EmulatedMachineFromJson(json, testing::RealDriveFile("").parent_path()));
}

Block FileBlock(const std::string& suffix) {
  const auto bytes = testing::ReadBinaryFile(testing::RealDriveFile(std::string(DriveFile) + suffix));
  Block block{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), block.size()), block.begin());
  return block;
}

// The SENDCMDINPARAMS block the program should send, `size` bytes long.
Bytes InParams(std::size_t size, std::uint32_t bufferSize, std::array<std::uint8_t, 7> registers,
               std::uint8_t driveNumber) {
  Bytes block(size, 0);
  WriteU32LE(block, 0, bufferSize);
  std::copy(registers.begin(), registers.end(), block.begin() + 4);
  block[12] = driveNumber;
  return block;
}

std::array<std::uint8_t, 7> SmartRegs(std::uint8_t feature, std::uint8_t driveHead) {
  return {feature, 1, 1, 0x4F, 0xC2, driveHead, 0xB0};
}

std::vector<std::uint32_t> Codes(const std::vector<RecordedRequest>& requests) {
  std::vector<std::uint32_t> codes;
  for (const auto& request : requests) codes.push_back(request.code);
  return codes;
}

// Features register of each SMART request, to tell enable, read and disable apart.
std::vector<std::uint8_t> Features(const std::vector<RecordedRequest>& requests) {
  std::vector<std::uint8_t> features;
  for (const auto& request : requests) features.push_back(request.in.size() > 4 ? request.in[4] : 0);
  return features;
}

TEST(IdentifyDevice, SmartPathSendsDriveNumberZeroEvenForASlave) {
  ProgramBench machine = OneDrive();
  machine.SelectDrive(0, 3, 1);
  Block data{};
  ASSERT_TRUE(IdentifyDevice(*machine.system, machine.state.DriveHandle.Get(), 1, data));
  EXPECT_EQ(data, FileBlock(".identify.bin"));
  const auto requests = machine.Controls();
  ASSERT_EQ(Codes(requests), (std::vector<std::uint32_t>{Ioctl::SmartGetVersion, Ioctl::SmartRcvDriveData}));
  EXPECT_TRUE(requests[0].in.empty());
  EXPECT_EQ(requests[0].outSize, 28u);
  EXPECT_EQ(requests[1].in, InParams(33, 512, {0, 1, 1, 0, 0, 0xB0, 0xEC}, 0));
  EXPECT_EQ(requests[1].outSize, 528u);
}

TEST(IdentifyDevice, RefusedVersionGoesStraightToTheMiniportWithTheSelector) {
  ProgramBench machine = OneDrive(R"(, "smart_version": null)");
  machine.SelectDrive(0, 3, 1);
  Block data{};
  ASSERT_TRUE(IdentifyDevice(*machine.system, machine.state.DriveHandle.Get(), 1, data));
  EXPECT_EQ(data, FileBlock(".identify.bin"));
  const auto requests = machine.Controls();
  ASSERT_EQ(Codes(requests), (std::vector<std::uint32_t>{Ioctl::SmartGetVersion, Ioctl::ScsiMiniport}));
  Bytes expected(572, 0);
  WriteU32LE(expected, 0, 28);
  const std::string signature = "SCSIDISK";
  std::copy(signature.begin(), signature.end(), expected.begin() + 4);
  WriteU32LE(expected, 12, 120);
  WriteU32LE(expected, 16, 0x001B0501);
  WriteU32LE(expected, 24, 544);
  const Bytes params = InParams(33, 512, {0, 1, 1, 0, 0, 0xB0, 0xEC}, 1);
  std::copy(params.begin(), params.end(), expected.begin() + 28);
  EXPECT_EQ(requests[1].in, expected);
  EXPECT_EQ(requests[1].outSize, 572u);
}

TEST(IdentifyDevice, RefusedReceiveFallsBackToTheMiniport) {
  ProgramBench machine = OneDrive(R"(, "identify_rcv_error": 1)");
  machine.SelectDrive(0, 11, 0);
  Block data{};
  ASSERT_TRUE(IdentifyDevice(*machine.system, machine.state.DriveHandle.Get(), 0, data));
  EXPECT_EQ(data, FileBlock(".identify.bin"));
  const auto requests = machine.Controls();
  EXPECT_EQ(Codes(requests), (std::vector<std::uint32_t>{Ioctl::SmartGetVersion, Ioctl::SmartRcvDriveData,
                                                         Ioctl::ScsiMiniport}));
  EXPECT_EQ(requests[2].in[28 + 9], 0xA0);  // master: device register 0xA0, drive number 0
  EXPECT_EQ(requests[2].in[28 + 12], 0);
}

TEST(IdentifyDevice, MiniportAnswerMustCoverHeadersAndData) {
  for (const std::uint32_t answer : {555u, 556u}) {
    SCOPED_TRACE(answer);
    ProgramBench machine = OneDrive(R"(, "smart_version": null, "miniport_bytes": )" + std::to_string(answer));
    machine.SelectDrive(0, 11, 0);
    Block data;
    data.fill(0xAA);
    const bool ok = IdentifyDevice(*machine.system, machine.state.DriveHandle.Get(), 0, data);
    EXPECT_EQ(ok, answer >= 556);
    if (ok) {
      EXPECT_EQ(data, FileBlock(".identify.bin"));
    } else {
      EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0xAA; }));
    }
  }
}

TEST(SmartCommands, EnableAndDisableCarryTheSelectorTwice) {
  ProgramBench machine = OneDrive();
  machine.SelectDrive(0, 3, 1);
  EXPECT_TRUE(EnableSmart(*machine.system, machine.state.DriveHandle.Get(), 0));
  EXPECT_TRUE(DisableSmart(*machine.system, machine.state.DriveHandle.Get(), 1));
  const auto requests = machine.Controls();
  ASSERT_EQ(Codes(requests),
            (std::vector<std::uint32_t>{Ioctl::SmartSendDriveCommand, Ioctl::SmartSendDriveCommand}));
  EXPECT_EQ(requests[0].in, InParams(32, 0, SmartRegs(0xD8, 0xA0), 0));
  EXPECT_EQ(requests[0].outSize, 527u);
  EXPECT_EQ(requests[1].in, InParams(32, 0, SmartRegs(0xD9, 0xB0), 1));
}

TEST(ReadSmartData, ReceiveRequestLayoutAndData) {
  ProgramBench machine = OneDrive();
  machine.SelectDrive(0, 3, 1);
  Block data{};
  ASSERT_TRUE(ReadSmartData(*machine.system, machine.state.DriveHandle.Get(), 1, data));
  EXPECT_EQ(data, FileBlock(".smart.bin"));
  const auto requests = machine.Controls();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].code, Ioctl::SmartRcvDriveData);
  EXPECT_EQ(requests[0].in, InParams(32, 512, SmartRegs(0xD0, 0xB0), 1));
  EXPECT_EQ(requests[0].outSize, 1039u);
}

TEST(ReadSmartData, RefusedReceiveIsTriedOnceMoreThroughSend) {
  ProgramBench machine = OneDrive(R"(, "smart_rcv_error": 1)");
  machine.SelectDrive(0, 11, 0);
  Block data{};
  ASSERT_TRUE(ReadSmartData(*machine.system, machine.state.DriveHandle.Get(), 0, data));
  EXPECT_EQ(data, FileBlock(".smart.bin"));
  const auto requests = machine.Controls();
  ASSERT_EQ(Codes(requests), (std::vector<std::uint32_t>{Ioctl::SmartRcvDriveData, Ioctl::SmartSendDriveCommand}));
  EXPECT_EQ(requests[1].in, InParams(32, 512, SmartRegs(0xD0, 0xA0), 0));
  EXPECT_EQ(requests[1].outSize, 1039u);
}

TEST(ReadSmartData, BothRefusedLeavesTheBufferAsItWas) {
  ProgramBench machine = OneDrive(R"(, "smart_rcv_error": 1, "smart_send_error": 87)");
  machine.SelectDrive(0, 11, 0);
  Block data;
  data.fill(0x5A);
  EXPECT_FALSE(ReadSmartData(*machine.system, machine.state.DriveHandle.Get(), 0, data));
  EXPECT_EQ(machine.Controls().size(), 2u);
  EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0x5A; }));
}

TEST(ReadSmartData, DataAreTheLast512BytesBeforeTheReturnedCount) {
  // 1039 and 512 bytes returned: accepted, the data end at the count; 511: a failure, then SEND.
  for (const std::uint32_t answer : {1039u, 512u, 511u}) {
    SCOPED_TRACE(answer);
    ProgramBench machine = OneDrive(R"(, "smart_send_error": 87, "smart_rcv_bytes": )" + std::to_string(answer));
    machine.SelectDrive(0, 11, 0);
    Block data{};
    const bool ok = ReadSmartData(*machine.system, machine.state.DriveHandle.Get(), 0, data);
    EXPECT_EQ(ok, answer >= 512);
    EXPECT_EQ(data, ok ? FileBlock(".smart.bin") : Block{});
    EXPECT_EQ(machine.Controls().size(), ok ? 1u : 2u);
  }
}

TEST(ShowDeviceDetails, AtaBusDriveRefusingIdentifyIsAskedTwice) {
  ProgramBench machine = ProgramBench(EmulatedMachineFromJson(
      R"({"system": {"clock": "2026-12-07T10:15:30.250", "clock_step_ms": 0}, "drives": [{"number": 0}]})", "."));
  machine.SelectDrive(0, 3, 0);
  ShowDeviceDetails(*machine.system, machine.state, machine.log, machine.sink);
  const std::vector<std::uint32_t> attempt = {Ioctl::SmartGetVersion, Ioctl::SmartRcvDriveData, Ioctl::ScsiMiniport};
  std::vector<std::uint32_t> twice = attempt;
  twice.insert(twice.end(), attempt.begin(), attempt.end());
  EXPECT_EQ(Codes(machine.Controls()), twice);
  const std::vector<std::u16string> expected = {
      u" ",
      u"Текущая дата и время: 07.12.2026 10:15:30",
      u"Trelvane 4.40; https://trelvane.org",
      u"Детали устройства для [0]  TEST DISK    1.0    [500,1 ГБ]    (976773168 512-байтовых секторов)",
      u" ",
      u"Детали недоступны: Внутренняя ошибка.",
      u"Отправьте эту проблему на https://trelvane.org/forum",
  };
  EXPECT_EQ(machine.sink.lines, expected);
}

TEST(ShowDeviceDetails, OtherBusDriveRefusingIdentifyIsAskedOnce) {
  ProgramBench machine = ProgramBench(EmulatedMachineFromJson(R"({"drives": [{"number": 0}]})", "."));
  machine.SelectDrive(0, 7, 0);
  ShowDeviceDetails(*machine.system, machine.state, machine.log, machine.sink);
  EXPECT_EQ(machine.Controls().size(), 3u);
  ASSERT_EQ(machine.sink.lines.size(), 6u);
  EXPECT_EQ(machine.sink.lines.back(), u"Детали недоступны для этого устройства.");
}

TEST(ShowSmartData, AtaBusDriveRefusingEnableIsNotReadButStillDisabled) {
  ProgramBench machine = OneDrive(R"(, "smart_enable_error": 1)");
  machine.SelectDrive(0, 3, 1);
  ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
  const auto requests = machine.Controls();
  EXPECT_EQ(Codes(requests),
            (std::vector<std::uint32_t>{Ioctl::SmartSendDriveCommand, Ioctl::SmartSendDriveCommand}));
  EXPECT_EQ(Features(requests), (std::vector<std::uint8_t>{0xD8, 0xD9}));
  ASSERT_EQ(machine.sink.lines.size(), 6u);
  EXPECT_EQ(machine.sink.lines[3].substr(0, 17), u"Данные SMART для ");
  EXPECT_EQ(machine.sink.lines.back(), u"SMART не поддерживается этим устройством.");
}

TEST(ShowSmartData, AtaBusDriveIsEnabledReadAndDisabled) {
  ProgramBench machine = OneDrive(R"(, "smart_disable_error": 1)");
  machine.SelectDrive(0, 3, 0);
  ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
  const auto requests = machine.Controls();
  EXPECT_EQ(Codes(requests), (std::vector<std::uint32_t>{Ioctl::SmartSendDriveCommand, Ioctl::SmartRcvDriveData,
                                                         Ioctl::SmartSendDriveCommand}));
  EXPECT_EQ(Features(requests), (std::vector<std::uint8_t>{0xD8, 0xD0, 0xD9}));
  EXPECT_EQ(machine.sink.lines.back(), u" ");  // a refused disable does not change the report
  EXPECT_GT(machine.sink.lines.size(), 8u);
}

TEST(ShowSmartData, OtherBusDriveIsOnlyRead) {
  ProgramBench machine = OneDrive(R"(, "smart_rcv_error": 1, "smart_send_error": 1)");
  machine.SelectDrive(0, 11, 0);
  ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
  EXPECT_EQ(Features(machine.Controls()), (std::vector<std::uint8_t>{0xD0, 0xD0}));
  EXPECT_EQ(machine.sink.lines.back(), u"SMART не поддерживается этим устройством.");
}

TEST(ShowSmartData, EachCallAppendsACompleteReport) {
  ProgramBench machine = OneDrive();
  machine.SelectDrive(0, 11, 0);
  ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
  const std::vector<std::u16string> first = machine.sink.lines;
  ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
  ASSERT_EQ(machine.sink.lines.size(), 2 * first.size());
  EXPECT_TRUE(std::equal(first.begin(), first.end(), machine.sink.lines.begin() + static_cast<std::ptrdiff_t>(first.size())));
}

// The storage stack's SMART requests carry 28-bit IDENTIFY and SMART commands only; anything else is
// refused before a request is made, and a failed request hands back the machine's error code.
TEST(WindowsAtaDevice, CommandsTheSmartRequestsCannotCarrySendNothing) {
  ProgramBench machine = OneDrive(R"(, "smart_enable_error": 21)");
  machine.SelectDrive(0, 3, 0);
  const auto device = machine.system->AtaDeviceOf(machine.state.DriveHandle.Get());
  Block data{};
  AtaCommand extended = SmartReadDataCommand(0);
  extended.extended = true;
  AtaCommand write = SmartReadDataCommand(0);
  write.direction = AtaDirection::Out;
  AtaCommand readSectors = IdentifyDeviceCommand(0);
  readSectors.command = 0x20;
  AtaResult result;
  for (const AtaCommand& command : {extended, write, readSectors}) {
    EXPECT_FALSE(device->PassThrough(command, data, result));
    EXPECT_EQ(result.systemError, ErrorCode::InvalidFunction);
  }
  EXPECT_FALSE(device->PassThrough(IdentifyDeviceCommand(0), std::span<std::uint8_t>(data).first(511), result));
  EXPECT_EQ(result.systemError, ErrorCode::InvalidParameter);
  EXPECT_TRUE(machine.Controls().empty());
  EXPECT_FALSE(device->PassThrough(SmartEnableOperationsCommand(0), {}, result));
  EXPECT_EQ(result.systemError, 21u);
  EXPECT_FALSE(result.registersValid);
}

}  // namespace
}  // namespace trelvane
