// `trelvane-cli format` exit codes and confirmation on emulated machines.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace trelvane::testing
