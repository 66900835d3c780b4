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

TEST(RunStartup, DebugSwitchIgnoresLetterCase) {
  Startup startup(std::string(R"({"system": {)") + Clock + "}}");
  startup.Run(u"--DeBuG");
  EXPECT_TRUE(startup.state.DebugMode);
  ASSERT_FALSE(startup.debugLog.lines.empty());
  EXPECT_EQ(startup.debugLog.lines[0], u"07.12.2026 10:15:30   Режим отладки активирован");
  EXPECT_EQ(startup.windows.events[0], u"show debug window");
}

TEST(RunStartup, WithoutDebugTheDebugLogStaysEmptyAndTheWarningStillOpensTheFormatLog) {
  Startup startup(std::string(R"({"system": {)") + Clock + "}}");
  startup.Run(u"-debug");
  EXPECT_FALSE(startup.state.DebugMode);
  EXPECT_TRUE(startup.debugLog.lines.empty());
  EXPECT_EQ(Startup::Texts(startup.formatLog),
            (std::vector<std::u16string>{u"* * * * * * * * * * * ПРЕДУПРЕЖДЕНИЕ!!! * * * * * * * * * * * ",
                                         u"ВО ВРЕМЯ ПРОЦЕССА ФОРМАТИРОВАНИЯ НИЗКОГО УРОВНЯ ",
                                         u"ВСЕ ДАННЫЕ БУДУТ ПОЛНОСТЬЮ И БЕЗВОЗВРАТНО СТЕРТЫ! "}));
}

TEST(RunStartup, EnvironmentLinesAndTitles) {
  Startup startup(std::string(R"({"system": {)") + Clock +
                  R"(, "program_path": "C:\\Tools\\trelvane.exe", "version": [6, 1, 7601],
                      "service_pack": "Service Pack 1", "process_bits": 32, "wow64": "false"}})");
  startup.Run(u"--debug");
  const auto texts = Startup::Texts(startup.debugLog);
  ASSERT_GE(texts.size(), 5u);
  EXPECT_EQ(texts[1], u"Путь программы: C:\\Tools\\");
  EXPECT_EQ(texts[2], u"Платформа: 6.1.7601   Service Pack 1  (32 бита)");
  EXPECT_EQ(texts[3], u"Версия программы: Trelvane 4.40    ");
  EXPECT_EQ(texts[4], u"Итерация через устройства...");
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
  for (const char* wow64 : {"false", "true", "missing"}) {
    Startup startup(std::string(R"({"system": {"process_bits": 64, "wow64": ")") + wow64 + R"("}})");
    startup.Run(u"--debug");
    EXPECT_TRUE(Startup::Texts(startup.debugLog)[2].ends_with(u"  (64 бита)")) << wow64;
  }
  Startup wow(R"({"system": {"process_bits": 32, "wow64": "true"}})");
  wow.Run(u"--debug");
  EXPECT_TRUE(Startup::Texts(wow.debugLog)[2].ends_with(u"  (64 бита)"));
  Startup plain32(R"({"system": {"process_bits": 32, "wow64": "missing"}})");
  plain32.Run(u"--debug");
  EXPECT_TRUE(Startup::Texts(plain32.debugLog)[2].ends_with(u"  (32 бита)"));
}

TEST(RunStartup, FailingProcessQueryRaisesTheStartupError) {
  Startup startup(R"({"system": {"wow64": "fails"}, "drives": [{"number": 0}]})");
  try {
    startup.Run(u"");
    FAIL() << "no error raised";
  } catch (const StartupError& error) {
    EXPECT_EQ(error.message, u"Плохой дескриптор процесса");
  }
  EXPECT_EQ(startup.state.DriveCount, 0);
  EXPECT_TRUE(startup.formatLog.lines.empty());
}

TEST(RunStartup, GatesShowTheirBoxAndEndBeforeAnyDriveIsOpened) {
  struct Gate {
    const char* machine;
    const char16_t* text;
  };
  for (const Gate& gate : {Gate{R"({"system": {"platform_id": 1}, "drives": [{"number": 0}]})",
                                u"Только следующие версии Windows поддерживаются: 2003, 2008, XP, Vista, 7"},
                           Gate{R"({"system": {"modules": {"SetupApi.dll": {"missing": ["SetupOpenLog"]}}},
                                    "drives": [{"number": 0}]})",
                                u"Error #01704"}}) {
    Startup startup(gate.machine);
    EXPECT_THROW(startup.Run(u""), ProgramTermination);
    ASSERT_EQ(startup.boxes.boxes.size(), 1u);
    EXPECT_EQ(startup.boxes.boxes[0].text, gate.text);
    EXPECT_EQ(startup.boxes.boxes[0].caption, u"Error");
    for (const auto& request : startup.system->Requests()) EXPECT_NE(request.call, "CreateFile");
    EXPECT_TRUE(startup.formatLog.lines.empty());
  }
}

}  // namespace
}  // namespace trelvane
