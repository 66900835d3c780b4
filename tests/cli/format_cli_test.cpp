// `trelvane-cli format` exit codes and confirmation on emulated machines.

#include <gtest/gtest.h>

#include <vector>

#include "cli_runner.h"
#include "test_support.h"

namespace trelvane::testing {
namespace {

std::filesystem::path FormatMachine() { return Machine("cli/format.json"); }

TEST(FormatCommandLine, WholeExtentWrittenExitsZero) {
  const CliResult result = RunCli(FormatMachine(), "format 0 --yes");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Низкоуровневое форматирование завершено."), std::string::npos);
  EXPECT_NE(result.out.find("Не забудьте создать новые разделы."), std::string::npos);
}

TEST(FormatCommandLine, OnlyDaOrYesInAnyCaseConfirm) {
  for (const char* answer : {"да\n", "Да\n", "ДА\n", "yes\n", "YES\n"})
    EXPECT_EQ(RunCli(FormatMachine(), "format 0 --quick", answer).exitCode, 0) << answer;
  for (const char* answer : {"нет\n", "y\n", "\n", ""}) {
    const CliResult result = RunCli(FormatMachine(), "format 0 --quick", answer);
    EXPECT_EQ(result.exitCode, 2) << answer;
    EXPECT_EQ(result.out.find("Блокировка устройства"), std::string::npos) << answer;
    EXPECT_NE(result.err.find("Форматирование не подтверждено: на диск ничего не записано."), std::string::npos)
        << answer;
  }
}

TEST(FormatCommandLine, LockRefusalWritesNothingAndExitsTwo) {
  const CliResult result = RunCli(FormatMachine(), "format 1 --yes");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.out.find("Невозможно заблокировать устройство."), std::string::npos);
  EXPECT_EQ(result.out.find("Форматирование... "), std::string::npos);
}

TEST(FormatCommandLine, DiskHeldElsewhereWritesNothingAndExitsTwo) {
  const CliResult result = RunCli(FormatMachine(), "format 4 --yes");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.out.find("Устройство используется другой программой или системой."), std::string::npos);
  EXPECT_EQ(result.out.find("Ошибка форматирования"), std::string::npos) << result.out;
}

TEST(FormatCommandLine, FailedBlocksOrAVanishedDeviceExitOne) {
  const CliResult protectedRun = RunCli(FormatMachine(), "format 2 --yes");
  EXPECT_EQ(protectedRun.exitCode, 1);
  EXPECT_NE(protectedRun.out.find("Носитель защищен от записи"), std::string::npos);
  const CliResult vanished = RunCli(FormatMachine(), "format 3 --yes");
  EXPECT_EQ(vanished.exitCode, 1);
  EXPECT_NE(vanished.out.find("Устройство было отключено, прерывание..."), std::string::npos) << vanished.out;
}

TEST(FormatCommandLine, ProgressLineOnlyOnATerminal) {
  const CliResult result = RunCli(FormatMachine(), "format 0 --quick --yes");
  EXPECT_EQ(result.err, "");
}

struct VerifyRun {
  const char* arguments;
  int exitCode;
  std::vector<const char*> lines;  // lines the format log must hold
};

// Drives that keep what they are given (an image each): one sound, one with a read error, one
// unplugged during the fill and one unplugged during the read-back.
constexpr const char* VerifyMachine = R"({
  "system": { "clock": "2026-12-07T10:15:30.250", "clock_step_ms": 10 },
  "drives": [
    { "number": 0, "length": 33554432, "image": "d0.img" },
    { "number": 1, "length": 33554432, "image": "d1.img",
      "faults": [ { "from": 4194304, "to": 4202496, "read_error": 23 } ] },
    { "number": 2, "length": 33554432, "image": "d2.img", "faults": [ { "from": 8388608, "write_error": 55 } ] },
    { "number": 3, "length": 50331648, "image": "d3.img", "faults": [ { "from": 33554432, "read_error": 55 } ] }
  ]
})";

TEST(FormatCommandLine, VerificationDecidesTheExitCodeAndReportsGoBesideTheLog) {
  const TempDir reports;
  const TempDir machine;
  WriteTextFile(machine.path() / "verify.json", VerifyMachine);
  const VerifyRun runs[] = {
      {"format 0 --yes --verify", 0,
       {"Средняя скорость записи: ", "Средняя скорость проверки: ", "Проверено байт: 33,554,432, найдено ошибочных байт: 0"}},
      {"format 1 --yes --verify", 1, {"Ошибка чтения: смещение 4,194,304, длина 8192 байт:   23 - "}},
      {"format 2 --yes --verify", 1, {"Устройство было отключено, прерывание..."}},
      // Unplugged during the read-back: the pass ends at once, aborted.
      {"format 3 --yes --verify", 1,
       {"Устройство было отключено, прерывание...", "Проверка прекращена по смещению 33,554,432",
        "Проверено байт: 33,554,432, найдено ошибочных байт: 0"}},
  };
  for (const VerifyRun& run : runs) {
    const CliResult result = RunCli(machine.path() / "verify.json", std::string(run.arguments) + " --report " +
                                                                    reports.path().string());
    EXPECT_EQ(result.exitCode, run.exitCode) << run.arguments << result.err;
    for (const char* line : run.lines) EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
    EXPECT_EQ(result.out.find("Отчет"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("Отчет о стирании: " + reports.path().string()), std::string::npos) << result.err;
  }
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(reports.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 8u);
}

}  // namespace
}  // namespace trelvane::testing
