#include <gtest/gtest.h>

#include "app/startup.h"
#include "program_bench.h"

namespace trelvane {
namespace {

using testing::ProgramBench;

// Runs the start-up on a machine of the bench.
struct Startup : ProgramBench {
  using ProgramBench::ProgramBench;
  void Run(const std::u16string& argument) { RunStartup(*system, state, log, boxes, windows, argument); }
};

constexpr const char* Clock = R"("clock": "2026-12-07T10:15:30.250", "clock_step_ms": 0)";

// The debug lines of the start are pinned by the command line's golden texts; the window titles here.
TEST(RunStartup, DebugSwitchIgnoresLetterCaseAndTheWindowsGetTheirTitles) {
  Startup startup(std::string(R"({"system": {)") + Clock + "}}");
  startup.Run(u"--DeBuG");
  EXPECT_TRUE(startup.state.DebugMode);
  ASSERT_FALSE(startup.debugLog.lines.empty());
  EXPECT_EQ(startup.debugLog.lines[0], u"07.12.2026 10:15:30   Режим отладки активирован");
  const std::vector<std::u16string> expected{
      u"show debug window",
      u"chooser caption: Выбор устройства - Trelvane 4.40    ",
      u"program name: TRELVANE 4.40    ",
      u"main caption: Trelvane 4.40    ",
      u"status panel 0: Trelvane 4.40    "};
  EXPECT_EQ(std::vector<std::u16string>(startup.windows.events.begin(), startup.windows.events.begin() + 5), expected);
  EXPECT_EQ(startup.windows.events.back(), u"chooser status: Найдено дисков: 0");
}

TEST(RunStartup, BitnessIs64ForA64BitProcessWhateverWow64Says) {
  const std::pair<const char*, const char16_t*> cases[] = {
      {R"("process_bits": 64, "wow64": "false")", u"  (64 бита)"},   {R"("process_bits": 64, "wow64": "true")", u"  (64 бита)"},
      {R"("process_bits": 64, "wow64": "missing")", u"  (64 бита)"}, {R"("process_bits": 32, "wow64": "true")", u"  (64 бита)"},
      {R"("process_bits": 32, "wow64": "missing")", u"  (32 бита)"}};
  for (const auto& [system, bits] : cases) {
    Startup startup(std::string(R"({"system": {)") + system + "}}");
    startup.Run(u"--debug");
    EXPECT_TRUE(Startup::Texts(startup.debugLog)[2].ends_with(bits)) << system;
  }
}

}  // namespace
}  // namespace trelvane
