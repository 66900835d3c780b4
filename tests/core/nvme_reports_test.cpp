// NVMe drives' details and SMART reports from their Identify and health-log bytes, the requests such a
// drive is sent, and the exact decimal text of the wide counters.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <algorithm>
#include <array>
#include <optional>

#include "ata/device_details.h"
#include "ata/smart_report.h"
#include "nvme/nvme_health.h"
#include "nvme/nvme_identify.h"
#include "os/bytes.h"
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
    "nvme": {"identify_controller": "qemu-4k.identify-controller.bin", "active_namespaces": {"0": "01000000"},
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
    // protocol-specific queries: Identify Controller, the active namespace list (refused by the
    // synthetic drive), Identify Namespace, the health log.
    std::vector<std::uint32_t> codes;
    for (const auto& request : machine.Controls()) codes.push_back(request.code);
    const std::vector<std::uint32_t> expected = {Ioctl::SmartGetVersion, Ioctl::ScsiMiniport,
                                                 Ioctl::StorageQueryProperty, Ioctl::StorageQueryProperty,
                                                 Ioctl::StorageQueryProperty, Ioctl::StorageQueryProperty};
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

bool HasLine(const std::vector<std::u16string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), FromUtf8(line)) != lines.end();
}

// Values a controller may send but that name no size or temperature are shown as what they are.
TEST(NvmeDecoding, OutOfRangeFieldsAreNamedNeverComputed) {
  struct Case {
    std::uint8_t formats;  // NLBAF + 1
    std::uint8_t flbas;
    std::uint8_t lbads;    // of every format
    std::optional<std::uint32_t> active;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {2, 0x01, 12, 1, {"Число пространств имён: 1", "Размер, блоков: 100 (409600 байт)", "Размер блока: 4096 байт"}},
      {2, 0x01, 9, 5, {"Размер, блоков: 100 (51200 байт)", "  0: блок 512 байт, метаданные 0 байт, производительность наилучшая"}},
      {1, 0x00, 16, std::nullopt, {"Наибольший номер пространства имён: 1024", "Размер блока: 65536 байт"}},
      {2, 0x02, 12, 0, {"Число пространств имён: 0", "Размер, блоков: 100", "Размер блока: недопустимое значение (2)",
                        "Размер метаданных: недопустимое значение (2)"}},
      {16, 0x20, 12, std::nullopt, {"Размер блока: недопустимое значение (16)"}},  // FLBAS bits 6-5 are bits 5-4
      {18, 0x21, 12, std::nullopt, {"Размер блока: 4096 байт"}},
      {1, 0x00, 8, std::nullopt, {"Размер, блоков: 100", "Размер блока: недопустимое значение (8)",
                                  "  0: блок недопустимое значение (8), метаданные 0 байт, производительность наилучшая (используется)"}},
      {1, 0x00, 17, std::nullopt, {"Размер блока: недопустимое значение (17)"}},
      {1, 0x00, 0, std::nullopt, {"Размер блока: недопустимое значение (0)"}},
  };
  for (const Case& c : cases) {
    std::array<std::uint8_t, 4096> controller{};
    std::array<std::uint8_t, 4096> space{};
    WriteU32LE(controller, 516, 1024);
    space[0] = 100;
    space[25] = static_cast<std::uint8_t>(c.formats - 1);
    space[26] = c.flbas;
    for (std::size_t i = 0; i < c.formats; ++i) space[128 + 4 * i + 2] = c.lbads;
    const auto lines = NvmeDetailsBody(DecodeIdentifyController(controller), DecodeIdentifyNamespace(space), c.active);
    for (const std::string& line : c.lines) EXPECT_TRUE(HasLine(lines, line)) << line;
    EXPECT_EQ(HasLine(lines, "Число пространств имён: 1024"), false);
  }
}

TEST(NvmeDecoding, ActiveNamespaceListEndsAtTheFirstZeroId) {
  std::array<std::uint8_t, 4096> list{};
  EXPECT_EQ(CountActiveNamespaces(list), 0u);
  for (std::uint32_t id : {1u, 2u, 7u}) WriteU32LE(list, 4 * (id == 7 ? 2 : id - 1), id);
  WriteU32LE(list, 16, 9);  // after the zero id: not counted
  EXPECT_EQ(CountActiveNamespaces(list), 3u);
  for (std::size_t i = 0; i < 1024; ++i) WriteU32LE(list, 4 * i, static_cast<std::uint32_t>(i + 1));
  EXPECT_EQ(CountActiveNamespaces(list), 1024u);
}

TEST(NvmeDecoding, TemperaturesOfZeroOrAllOnesKelvinAreNotDegrees) {
  struct Case {
    std::uint16_t composite;
    std::uint16_t sensor1;
    std::string compositeValue;
    std::string sensorLine;  // empty: no sensor line
  };
  const Case cases[] = {
      {323, 0, "50 °C  323 K", ""},
      {273, 1, "0 °C  273 K", "-272 °C  1 K"},
      {0, 65534, "недопустимое значение (0)", "65261 °C  65534 K"},
      {65535, 65535, "недопустимое значение (65535)", "недопустимое значение (65535)"},
  };
  for (const Case& c : cases) {
    std::array<std::uint8_t, 512> log{};
    WriteU16LE(log, 1, c.composite);
    WriteU16LE(log, 200, c.sensor1);
    const auto lines = NvmeHealthLines(log);
    const auto row = [&](const std::string& prefix) {
      for (const auto& line : lines)
        if (ToUtf8(line).rfind(" " + prefix, 0) == 0) return ToUtf8(line);
      return std::string();
    };
    const std::string composite = row("Температура (общая)");
    EXPECT_NE(composite.find(c.compositeValue), std::string::npos) << composite;
    const std::string sensor = row("Датчик температуры 1");
    if (c.sensorLine.empty()) {
      EXPECT_EQ(sensor, "");
    } else {
      EXPECT_NE(sensor.find(c.sensorLine), std::string::npos) << sensor;
    }
    if (c.composite == 0 || c.composite == 65535) {
      EXPECT_EQ(composite.find("°C"), std::string::npos) << composite;
    }
  }
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
