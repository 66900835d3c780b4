// NVMe drives' details and SMART reports from their Identify and health-log bytes, the requests such a
// drive is sent, and the exact decimal text of the wide counters.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ata/device_details.h"
#include "ata/smart_report.h"
#include "os/win_constants.h"
#include "program_bench.h"
#include "text/u16.h"
#include "test_support.h"
#include "text/wide_decimal.h"

namespace trelvane {
namespace {

using testing::ProgramBench;
using testing::ExpectGolden;

// Every warning bit, every erase capability, two LBA formats (the second, 4096-byte one in use), a
// namespace of 2^64 - 1 blocks and counters at and past 64 bits.
constexpr const char* SyntheticDrive = R"({
  "system": {"clock": "2026-12-07T00:00:00.000", "clock_step_ms": 0, "decimal_separator": ","},
  "drives": [{"number": 2, "length": 4096000000, "sector_size": 4096,
    "device": {"product": "SYNTHETIC NVME", "revision": "2.0", "serial": "S0"},
    "nvme": {
      "identify_controller": {"4": "53594e2d4e564d452d30303031202020202020 20",
        "24": "53796e746865746963204e564d65204469736b", "64": "46572d322e3020 20", "73": "563412",
        "78": "0700", "80": "01000200", "256": "0200", "328": "07000000", "516": "20000000",
        "520": "0c00", "524": "07", "525": "01"},
      "identify_namespace": {"0": "ffffffffffffffff", "8": "40420f0000000000", "16": "0100000000000000",
        "25": "01", "26": "01", "128": "00000902", "132": "08000c00"},
      "smart_log": {"0": "ff", "1": "3601", "3": "40", "4": "0a", "5": "ff",
        "32": "ffffffffffffffffffffffffffffffff", "48": "00000000000000000100000000000000",
        "64": "e803", "80": "d007", "96": "2a", "112": "0b", "128": "10270000", "144": "03", "160": "01",
        "176": "04", "192": "05000000", "196": "02000000", "200": "2c01", "214": "0201"}}}]})";

// The Identify and health-log blocks of QEMU's NVMe controller with a 4096-byte-block namespace and
// warn=2, read in a guest through the kernel's admin pass-through.
constexpr const char* QemuDrive = R"({
  "system": {"clock": "2026-12-07T00:00:00.000", "clock_step_ms": 0, "decimal_separator": ","},
  "drives": [{"number": 0, "length": 134217728, "sector_size": 4096,
    "device": {"product": "QEMU NVMe Ctrl", "revision": "7.2.22", "serial": "QNVME-4K02"},
    "nvme": {"identify_controller": "qemu-4k.identify-controller.bin",
             "identify_namespace": "qemu-4k.identify-namespace.bin", "smart_log": "qemu-4k.smart-log.bin"}}]})";

struct NvmeGolden {
  const char* json;
  std::uint32_t number;
  std::string golden;
};

TEST(NvmeReports, DetailsAndSmartWithoutAtaSmartCommands) {
  const NvmeGolden drives[] = {{SyntheticDrive, 2, "nvme-synthetic.txt"}, {QemuDrive, 0, "nvme-qemu-4k.txt"}};
  for (const NvmeGolden& drive : drives) {
    SCOPED_TRACE(drive.golden);
    ProgramBench machine(EmulatedMachineFromJson(drive.json, testing::TestDataFile("testdata/nvme")));
    machine.SelectProbedDrive(drive.number);
    ShowDeviceDetails(*machine.system, machine.state, machine.log, machine.sink);
    ExpectGolden(machine.sink.lines, "details/" + drive.golden);
    machine.sink.lines.clear();
    ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
    ExpectGolden(machine.sink.lines, "smart/" + drive.golden);
    // IDENTIFY's one attempt (SMART_GET_VERSION, then the miniport once it is refused), then only the
    // protocol-specific queries.
    std::vector<std::uint32_t> codes;
    for (const auto& request : machine.Controls()) codes.push_back(request.code);
    const std::vector<std::uint32_t> expected = {Ioctl::SmartGetVersion, Ioctl::ScsiMiniport,
                                                 Ioctl::StorageQueryProperty, Ioctl::StorageQueryProperty,
                                                 Ioctl::StorageQueryProperty};
    EXPECT_EQ(codes, expected);
  }
}

TEST(NvmeReports, RefusedQueriesFallBackToTheUsualTexts) {
  const testing::TempDir folder;
  ProgramBench machine(EmulatedMachineFromJson(
      R"({"drives": [{"nvme": {"identify_error": 31, "log_fails": true}}]})", folder.path()));
  machine.SelectProbedDrive(0);
  ShowDeviceDetails(*machine.system, machine.state, machine.log, machine.sink);
  ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
  EXPECT_EQ(ToUtf8(machine.sink.lines[5]), "Детали недоступны для этого устройства.");
  EXPECT_EQ(ToUtf8(machine.sink.lines.back()), "SMART не поддерживается этим устройством.");
}

TEST(WideDecimal, ExactAtEveryWidth) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::uint32_t factor;
    const char* text;
  };
  const std::vector<std::uint8_t> all128(16, 0xFF);
  std::vector<std::uint8_t> twoTo64(16, 0);
  twoTo64[8] = 1;
  const Case cases[] = {
      {{}, 1, "0"},
      {{0, 0, 0}, 512000, "0"},
      {{0x39, 0x30}, 1, "12345"},
      {twoTo64, 1, "18446744073709551616"},
      {twoTo64, 512000, "9444732965739290427392000"},
      {all128, 1, "340282366920938463463374607431768211455"},
      {all128, 512000, "174224571863520493293247799005065324264960000"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToUtf8(WideDecimal(c.bytes, c.factor)), c.text);
}

}  // namespace
}  // namespace trelvane
