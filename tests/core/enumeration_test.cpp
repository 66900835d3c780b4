// Finding the drives: every opened drive closed again, the volumes on each drive, and the serial
// numbers some drives report as hexadecimal text.

#include <gtest/gtest.h>

#include "backends/emulated/emulated_system.h"
#include "common/diagnostic_log.h"
#include "device/enumeration.h"
#include "device/probe.h"
#include "device/volumes.h"
#include "program_bench.h"
#include "recording_views.h"
#include "test_support.h"

namespace trelvane {
namespace {

// Enumerates the drives of a machine on the bench; `ended` when a probe ended the program.
struct Enumeration : testing::ProgramBench {
  explicit Enumeration(const std::string& machine) : ProgramBench(machine) {
    try {
      EnumerateDrives(*system, log, boxes, windows, state);
    } catch (const ProgramTermination&) {
      ended = true;
    }
  }
  std::vector<std::u16string> OpenedPaths() const {
    std::vector<std::u16string> paths;
    for (const auto& request : Requests("CreateFile"))
      if (request.path.starts_with(u"\\\\.\\PhysicalDrive")) paths.push_back(request.path);
    return paths;
  }
  bool ended = false;
};

// Also when the probe of drive 1 ends the program: its handle is the last request, a close.
TEST(EnumerateDrives, EveryOpenedDriveIsClosed) {
  struct Case {
    std::string drive1;
    bool ends;
  };
  for (const Case& c : {Case{R"({"number": 1, "length_error": 21})", false},
                        Case{R"({"number": 1, "device_error": 5})", true}}) {
    Enumeration run(R"({"drives": [{"number": 0}, )" + c.drive1 + "]}");
    int opened = 0;
    int closed = 0;
    for (const auto& request : run.system->Requests()) {
      if (request.call == "CreateFile" && request.ok) ++opened;
      if (request.call == "CloseHandle") ++closed;
    }
    EXPECT_EQ(opened, closed) << c.drive1;
    EXPECT_EQ(run.ended, c.ends) << c.drive1;
    EXPECT_EQ(run.state.DriveCount, 1) << c.drive1;
    if (c.ends) {
      EXPECT_EQ(run.system->Requests().back().call, "CloseHandle");
    }
  }
}

TEST(DriveVolumeNames, DisksOnlyAndBlankSeparated) {
  auto system = EmulatedMachineFromJson(R"({"volumes": [
      {"root": "C:\\", "device_number": 0}, {"root": "E:\\", "device_type": 2, "device_number": 0},
      {"root": "D:\\", "device_number": 0, "partition": 2}, {"root": "F:\\", "device_number": 1},
      {"root": "N:\\", "query_open_error": 5, "device_number": 0}, {"root": "Q:\\", "device_number_error": 1}]})",
                                        ".");
  bool debug = false;
  DiagnosticLog log(*system, debug);
  EXPECT_EQ(DriveVolumeNames(*system, log, 0), u"C: D:");
  EXPECT_EQ(DriveVolumeNames(*system, log, 1), u"F:");
  EXPECT_EQ(DriveVolumeNames(*system, log, 2), u"");
}

TEST(ListLogicalVolumes, RootsLoseTheirBackslashAndAnOverlongAnswerLeavesTheListEmpty) {
  auto system = EmulatedMachineFromJson(R"({"volumes": [{"root": "C:\\"}, {"root": "sdb1"}]})", ".");
  VolumeNameList list;
  ListLogicalVolumes(*system, list);
  EXPECT_EQ(list[0], u"C:");
  EXPECT_EQ(list[1], u"sdb1");
  EXPECT_EQ(list[2], u"");
  auto overflow = EmulatedMachineFromJson(R"({"system": {"drive_strings_length": 1024}, "volumes": [{"root": "C:\\"}]})", ".");
  ListLogicalVolumes(*overflow, list);
  EXPECT_EQ(list[0], u"");
}

TEST(VolumeLine, SixBlanksBeforeTheTypeAndThreeBetweenGroups) {
  VolumeDeviceNumber number{true, 7, 0, 1};
  EXPECT_EQ(VolumeLine(u"Найден раздел ", u"C:", number),
            u"Найден раздел C:      Тип устройства: 7   Номер устройства: 0   Раздел: 1");
}

struct Decoded {
  std::u16string serial;
  std::vector<std::u16string> stages;  // the debug lines, without their time stamps
};

Decoded Decode(std::u16string serial) {
  auto system = EmulatedMachineFromJson(R"({"system": {"clock": "2026-12-07T10:00:00.000", "clock_step_ms": 0}})", ".");
  bool debug = true;
  DiagnosticLog log(*system, debug);
  testing::RecordingSink sink;
  log.SetDebugSink(&sink);
  DecodeHexSerial(log, serial);
  Decoded decoded{serial, {}};
  for (const auto& line : sink.lines) decoded.stages.push_back(line.substr(line.find(u"   ") + 3));
  return decoded;
}

// Stage 1 and the lines it logs show in the command line's golden debug text (drive 7).
TEST(DecodeHexSerial, StageTwoWhenStageOneGivesPunctuation) {
  const Decoded decoded = Decode(u"E43523D28502A595030203030213241402349393");
  EXPECT_EQ(decoded.serial, u"SN-2 XYZ 0001 ABC 99");
  EXPECT_EQ(decoded.stages.back(), u"Этап 2...");
}

TEST(DecodeHexSerial, LowerCaseDigitsUnderscoresAndBlanksQualify) {
  EXPECT_EQ(Decode(u"58573133384450354b3251374e344d3841305a31").serial, u"WX31D85P2K7Q4N8M0A1Z");
  // "_" and blanks read as "2": "2222" is two quotation marks, which sends the text to stage 2.
  const Decoded padded = Decode(u"58573133384450354B3251374E344D38__ _ _ _");
  EXPECT_EQ(padded.stages.back(), u"Этап 2...");
  EXPECT_EQ(padded.serial.substr(16), u"\"\"\"\"");
}

TEST(DecodeHexSerial, OtherTextsStayAsTheyWere) {
  EXPECT_EQ(Decode(u"ZZ02020202020202020202020202020202020202").serial,
            u"ZZ02020202020202020202020202020202020202");
  EXPECT_EQ(Decode(u"ZZ02020202020202020202020202020202020202").stages.size(), 1u);
  EXPECT_EQ(Decode(u"5857313338445035-B3251374E344D3841305A31").serial, u"5857313338445035-B3251374E344D3841305A31");
  EXPECT_EQ(Decode(u"58573133384450354B3251374E344D3841305A3").serial, u"58573133384450354B3251374E344D3841305A3");
}

}  // namespace
}  // namespace trelvane