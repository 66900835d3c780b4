#include <gtest/gtest.h>

#include "common/diagnostic_log.h"
#include "device/probe.h"
#include "backends/emulated/emulated_system.h"
#include "recording_views.h"
#include "test_support.h"

namespace trelvane {
namespace {

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
