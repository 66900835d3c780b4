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

// SRB_IO_CONTROL and the IDENTIFY SENDCMDINPARAMS behind it, as the miniport fallback sends them.
Bytes MiniportIn(std::uint8_t driveHead, std::uint8_t driveNumber) {
  Bytes expected(572, 0);
  WriteU32LE(expected, 0, 28);
  const std::string signature = "SCSIDISK";
  std::copy(signature.begin(), signature.end(), expected.begin() + 4);
  WriteU32LE(expected, 12, 120);
  WriteU32LE(expected, 16, 0x001B0501);
  WriteU32LE(expected, 24, 544);
  const Bytes params = InParams(33, 512, {0, 1, 1, 0, 0, driveHead, 0xEC}, driveNumber);
  std::copy(params.begin(), params.end(), expected.begin() + 28);
  return expected;
}

constexpr auto Version = Ioctl::SmartGetVersion;
constexpr auto Receive = Ioctl::SmartRcvDriveData;
constexpr auto Send = Ioctl::SmartSendDriveCommand;
constexpr auto Miniport = Ioctl::ScsiMiniport;

// One IDENTIFY DEVICE or SMART READ DATA through the transport's fallbacks: the requests in order,
// the bytes of one of them, and the block handed back (or the buffer left as it was).
struct TransportCase {
  const char* name;
  std::string fields;
  std::int64_t bus;
  std::uint8_t slave;
  bool smart;  // SMART READ DATA, else IDENTIFY DEVICE
  bool ok;
  std::vector<std::uint32_t> codes;
  std::size_t pinned = 0;  // the request whose input and output size are checked
  Bytes in = {};
  std::uint32_t outSize = 0;
};

const std::vector<TransportCase> TransportCases = {
    // The SMART path sends drive number zero even for a slave; the version request carries nothing.
    {"identify, version asked", "", 3, 1, false, true, {Version, Receive}, 0, {}, 28},
    {"identify, slave", "", 3, 1, false, true, {Version, Receive}, 1, InParams(33, 512, {0, 1, 1, 0, 0, 0xB0, 0xEC}, 0), 528},
    {"identify, version refused", R"(, "smart_version": null)", 3, 1, false, true, {Version, Miniport}, 1, MiniportIn(0xB0, 1), 572},
    {"identify, receive refused", R"(, "identify_rcv_error": 1)", 11, 0, false, true, {Version, Receive, Miniport}, 2,
     MiniportIn(0xA0, 0), 572},
    {"identify, receive refused with another code", R"(, "identify_rcv_error": 50)", 11, 1, false, true,
     {Version, Receive, Miniport}, 2, MiniportIn(0xB0, 1), 572},
    // The miniport's answer must cover both headers and the data.
    {"identify, miniport short", R"(, "smart_version": null, "miniport_bytes": 555)", 11, 0, false, false, {Version, Miniport}},
    {"identify, miniport exact", R"(, "smart_version": null, "miniport_bytes": 556)", 11, 0, false, true, {Version, Miniport}},
    {"smart, receive", "", 3, 1, true, true, {Receive}, 0, InParams(32, 512, SmartRegs(0xD0, 0xB0), 1), 1039},
    // A refused receive is tried once more through send.
    {"smart, receive refused", R"(, "smart_rcv_error": 1)", 11, 0, true, true, {Receive, Send}, 1,
     InParams(32, 512, SmartRegs(0xD0, 0xA0), 0), 1039},
    {"smart, both refused", R"(, "smart_rcv_error": 1, "smart_send_error": 87)", 11, 0, true, false, {Receive, Send}},
    // The data are the last 512 bytes before the returned count: 1039 and 512 will do, 511 is a failure.
    {"smart, 1039 returned", R"(, "smart_send_error": 87, "smart_rcv_bytes": 1039)", 11, 0, true, true, {Receive}},
    {"smart, 512 returned", R"(, "smart_send_error": 87, "smart_rcv_bytes": 512)", 11, 0, true, true, {Receive}},
    {"smart, 511 returned", R"(, "smart_send_error": 87, "smart_rcv_bytes": 511)", 11, 0, true, false, {Receive, Send}},
};

TEST(AtaTransport, RequestsInOrderAndTheBlockOrTheBufferUntouched) {
  for (const TransportCase& c : TransportCases) {
    SCOPED_TRACE(c.name);
    ProgramBench machine = OneDrive(c.fields);
    machine.SelectDrive(0, c.bus, c.slave);
    Block data;
    data.fill(0xAA);
    const Handle handle = machine.state.DriveHandle.Get();
    const bool ok = c.smart ? ReadSmartData(*machine.system, handle, c.slave, data)
                            : IdentifyDevice(*machine.system, handle, c.slave, data);
    EXPECT_EQ(ok, c.ok);
    Block untouched;
    untouched.fill(0xAA);
    EXPECT_EQ(data, ok ? FileBlock(c.smart ? ".smart.bin" : ".identify.bin") : untouched);
    const auto requests = machine.Controls();
    ASSERT_EQ(Codes(requests), c.codes);
    if (c.outSize == 0) continue;
    EXPECT_EQ(requests[c.pinned].in, c.in);
    EXPECT_EQ(requests[c.pinned].outSize, c.outSize);
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

// The SMART report of ATA-bus drives (enable, read, disable: a refused enable skips the read, a
// refused disable changes nothing) and of other buses (read only), and the details of another bus's
// drive refusing IDENTIFY (asked once): the requests, the SMART features, and how the report ends.
TEST(ShowReports, RequestsAndTheReportsLastLinePerBus) {
  struct Case {
    const char* name;
    std::string fields;
    std::int64_t bus;
    std::uint8_t slave;
    bool smart;  // the SMART report, else the details
    std::vector<std::uint32_t> codes;
    std::vector<std::uint8_t> features;  // of the SMART requests
    std::u16string lastLine;
    std::size_t lines;  // 0: more than eight
  };
  const std::u16string notSupported = u"SMART не поддерживается этим устройством.";
  const Case cases[] = {
      {"ata, enable refused", R"(, "smart_enable_error": 1)", 3, 1, true, {Send, Send}, {0xD8, 0xD9}, notSupported, 6},
      {"ata, disable refused", R"(, "smart_disable_error": 1)", 3, 0, true, {Send, Receive, Send}, {0xD8, 0xD0, 0xD9}, u" ", 0},
      {"other bus", R"(, "smart_rcv_error": 1, "smart_send_error": 1)", 11, 0, true, {Receive, Send}, {0xD0, 0xD0},
       notSupported, 6},
      {"details, other bus", R"(, "identify_rcv_error": 1, "miniport_error": 1)", 7, 0, false, {Version, Receive, Miniport},
       {}, u"Детали недоступны для этого устройства.", 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramBench machine = OneDrive(c.fields);
    machine.SelectDrive(0, c.bus, c.slave);
    (c.smart ? ShowSmartData : ShowDeviceDetails)(*machine.system, machine.state, machine.log, machine.sink);
    const auto requests = machine.Controls();
    EXPECT_EQ(Codes(requests), c.codes);
    if (c.smart) {
      EXPECT_EQ(Features(requests), c.features);
    }
    ASSERT_FALSE(machine.sink.lines.empty());
    EXPECT_EQ(machine.sink.lines.back(), c.lastLine);
    if (c.lines != 0) {
      EXPECT_EQ(machine.sink.lines.size(), c.lines);
    } else {
      EXPECT_GT(machine.sink.lines.size(), 8u);
    }
    EXPECT_EQ(machine.sink.lines[3].substr(0, 8), c.smart ? u"Данные S" : u"Детали у");
  }
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

// The storage stack's SMART requests carry 28-bit IDENTIFY and SMART commands only; anything else goes
// out as one IOCTL_ATA_PASS_THROUGH and comes back with the drive's registers (a drive without these
// commands aborts them: ERR and ABRT). A buffer that is not whole sectors is refused before any
// request, and a failed request hands back the machine's error code.
TEST(WindowsAtaDevice, CommandsTheSmartRequestsCannotCarryGoAsAtaPassThrough) {
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
    machine.system->ClearRequests();
    EXPECT_FALSE(device->PassThrough(command, data, result));
    EXPECT_TRUE(result.registersValid);
    EXPECT_EQ(result.status, 0x51);
    EXPECT_EQ(result.error, 0x04);
    ASSERT_EQ(machine.Controls().size(), 1u);
    EXPECT_EQ(machine.Controls()[0].code, Ioctl::AtaPassThrough);
  }
  machine.system->ClearRequests();
  EXPECT_FALSE(device->PassThrough(IdentifyDeviceCommand(0), std::span<std::uint8_t>(data).first(511), result));
  EXPECT_EQ(result.systemError, ErrorCode::InvalidParameter);
  EXPECT_TRUE(machine.Controls().empty());
  EXPECT_FALSE(device->PassThrough(SmartEnableOperationsCommand(0), {}, result));
  EXPECT_EQ(result.systemError, 21u);
  EXPECT_FALSE(result.registersValid);
}

}  // namespace
}  // namespace trelvane
