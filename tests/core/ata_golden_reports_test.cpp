// Full device details and SMART reports of real drives' answers, compared with reviewed golden texts.
// Set TRELVANE_UPDATE_GOLDEN=1 to rewrite the golden files from the program's output (then review them).

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ata/device_details.h"
#include "ata/smart_report.h"
#include "os/win_constants.h"
#include "program_bench.h"
#include "test_support.h"

namespace trelvane {
namespace {

using testing::ExpectGolden;
using testing::ProgramBench;

struct RealDrive {
  std::uint32_t number;  // in machines/ata-real-drives.json
  std::string name;
};

const RealDrive RealDrives[] = {
    {0, "INTEL_SSDSA2CW120G3--4PC10302"}, {1, "MCCOE64GEMPP--2.9.09"},
    {2, "WDC_WD2500JB--00REA0-20.00K20"}, {3, "FUJITSU_MHY2120BH--0084000D"},
    {4, "ST320410A--3.39"},
};

// The Fujitsu block has an empty record after its nineteenth attribute and two more behind it; the
// table ends at the first empty record, so those two are not shown.
TEST(GoldenReports, RealDrivesDetailsAndSmart) {
  for (const RealDrive& drive : RealDrives) {
    SCOPED_TRACE(drive.name);
    ProgramBench machine(LoadEmulatedMachine(testing::TestDataFile("machines/ata-real-drives.json")));
    machine.SelectProbedDrive(drive.number);
    ShowDeviceDetails(*machine.system, machine.state, machine.log, machine.sink);
    ExpectGolden(machine.sink.lines, "details/" + drive.name + ".txt");
    machine.sink.lines.clear();
    ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
    ExpectGolden(machine.sink.lines, "smart/" + drive.name + ".txt");
  }
}

// A machine whose drive 0 answers with the given IDENTIFY and SMART blocks, written to a temporary folder.
std::unique_ptr<EmulatedSystem> MachineWithBlocks(const testing::TempDir& folder, const std::array<std::uint8_t, 512>& identify,
                                                  const std::array<std::uint8_t, 512>& smart) {
  testing::WriteTextFile(folder.path() / "identify.bin", std::string(identify.begin(), identify.end()));
  testing::WriteTextFile(folder.path() / "smart.bin", std::string(smart.begin(), smart.end()));
  return EmulatedMachineFromJson(
      R"({"system": {"clock": "2026-12-07T00:00:00.000", "clock_step_ms": 0, "decimal_separator": "."},
          "drives": [{"number": 5, "length": 80026361856, "adapter": {"bus_type": 3},
                      "device": {"product": "  SYNTHETIC DISK  ", "revision": " R1 "},
                      "identify": "identify.bin", "smart": "smart.bin"}]})",
      folder.path());
}

TEST(GoldenReports, AllZeroIdentifyAndThirtyAttributes) {
  const testing::TempDir folder;
  std::array<std::uint8_t, 512> smart{};
  // Thirty records: the named ids, unnamed ones, the temperature, and a full 48-bit raw value.
  const std::uint8_t ids[30] = {1,   3,   5,   6,   9,   12,  13,  99,  100, 101, 184, 187, 190, 194, 196,
                                197, 198, 199, 200, 220, 230, 232, 233, 14,  170, 206, 231, 240, 250, 255};
  for (std::size_t i = 0; i < 30; ++i) {
    std::uint8_t* record = smart.data() + 2 + 12 * i;
    record[0] = ids[i];
    record[3] = static_cast<std::uint8_t>(100 + i);
    record[4] = static_cast<std::uint8_t>(i * 8);
    std::uint64_t raw = (i + 1) * (i + 1) * 1234567u;
    if (ids[i] == 194) raw = 0x0037'0014'002Aull;  // 42 °C, with a minimum and maximum above it
    if (ids[i] == 255) raw = 0xFFFF'FFFF'FFFFull;
    for (std::size_t b = 0; b < 6; ++b) record[5 + b] = static_cast<std::uint8_t>(raw >> (8 * b));
  }
  smart[2 + 12 * 30] = 7;  // a thirty-first record, never read
  ProgramBench machine(MachineWithBlocks(folder, {}, smart));
  machine.SelectProbedDrive(5);
  ShowDeviceDetails(*machine.system, machine.state, machine.log, machine.sink);
  ExpectGolden(machine.sink.lines, "details/all-zero-identify.txt");
  machine.sink.lines.clear();
  ShowSmartData(*machine.system, machine.state, machine.log, machine.sink);
  ExpectGolden(machine.sink.lines, "smart/thirty-attributes.txt");
}

}  // namespace
}  // namespace trelvane
