// `trelvane-cli format` exit codes and confirmation on emulated machines.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "cli_runner.h"
#include "machine_json.h"
#include "test_support.h"

namespace trelvane::testing {
namespace {

std::filesystem::path FormatMachine() { return Machine("cli/format.json"); }

// Each drive of the machine ends its run in one way: what it prints where, what it must not print,
// and its exit code. Refused before anything is written (the lock, the disk in use by another run
// through its exclusive open or by a program the claim names, write protection), a run says why in
// one line, exits 2 and ends without the partition reminder; an open refused for another reason
// stays fatal; failed blocks or a vanished device exit 1. Without a terminal no progress line is
// printed.
TEST(FormatCommandLine, EachEndingPrintsItsLinesAndExitsWithItsCode) {
  struct Run {
    const char* arguments;
    int exitCode;
    std::vector<const char*> out;      // parts of standard output
    std::vector<const char*> err;      // parts of standard error; none: it stays empty
    std::vector<const char*> notOut;   // never on standard output
  };
  const char* const reminder = "Не забудьте создать новые разделы.";
  const std::vector<const char*> refused = {reminder, "Ошибка форматирования", "Форматирование... "};
  const Run runs[] = {
      {"format 0 --yes", 0, {"Низкоуровневое форматирование завершено.", reminder}, {}, {}},
      {"format 0 --quick --yes", 0, {reminder}, {}, {}},
      {"format 1 --yes", 2, {"Невозможно заблокировать устройство."}, {}, refused},
      {"format 4 --yes", 2, {"Устройство используется другой программой или системой."}, {}, {reminder, "Ошибка форматирования"}},
      {"format 6 --yes", 2, {"Диск открыт другой программой: dd (PID 4321)"}, {}, {reminder, "Ошибка форматирования"}},
      {"format 5 --yes", 2, {"Диск защищен от записи. Ничего не записано."}, {}, {reminder, "Ошибка форматирования"}},
      {"format 7 --yes", 2, {}, {"Устройство занято другой программой или другим запуском этой программы."}, refused},
      {"format 8 --yes", 3, {}, {"Ошибка открытия устройства: "}, refused},
      {"format 2 --yes", 1, {"Носитель защищен от записи"}, {}, {}},
      {"format 3 --yes", 1, {"Устройство было отключено, прерывание..."}, {}, {}},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.arguments);
    const CliResult result = RunCli(FormatMachine(), run.arguments);
    EXPECT_EQ(result.exitCode, run.exitCode) << result.err;
    for (const char* part : run.out) EXPECT_NE(result.out.find(part), std::string::npos) << part << "\n" << result.out;
    for (const char* part : run.err) EXPECT_NE(result.err.find(part), std::string::npos) << part << "\n" << result.err;
    if (run.err.empty()) {
      EXPECT_EQ(result.err, "");
    }
    for (const char* part : run.notOut) EXPECT_EQ(result.out.find(part), std::string::npos) << part << "\n" << result.out;
  }
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

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// kill -USR1 during a wipe prints the progress line once on standard error (not a terminal here) and
// the run goes on to its end: exit 0, the whole log, the report.
TEST(FormatCommandLine, ProgressRequestPrintsTheLineAndTheRunGoesOn) {
  const TempDir folder;
  const auto machine = folder.path() / "slow.json";
  // 48 MiB at 40 ms per MiB: about two seconds of writing.
  WriteTextFile(machine, MachineJson("[" + DriveJson(0, 48 << 20, ", \"write_delay_us_per_mib\": 40000") + "]", "[]", 10));
  const auto out = folder.path() / "out";
  const auto err = folder.path() / "err";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string command = "exec env TRELVANE_MACHINE='" + machine.string() + "' '" + TRELVANE_CLI_PATH +
                                "' format 0 --yes --report '" + folder.path().string() + "' </dev/null >'" +
                                out.string() + "' 2>'" + err.string() + "'";
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  const auto written = [&] { return std::filesystem::exists(out) ? ReadTextFile(out) : std::string(); };
  while (Count(written(), "Форматирование... ") == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(kill(child, SIGUSR1), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string errText = ReadTextFile(err);
  EXPECT_EQ(Count(errText, "% завершено   Текущий сектор: "), 1u) << errText;
  const std::string outText = ReadTextFile(out);
  EXPECT_NE(outText.find("Низкоуровневое форматирование завершено."), std::string::npos) << outText;
  EXPECT_NE(outText.find("Не забудьте создать новые разделы."), std::string::npos) << outText;
  EXPECT_NE(errText.find("Отчет о стирании: "), std::string::npos) << errText;
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

// The drive's own erase on the firmware demo machine: completion read back (the sample or the whole
// disk), a Format NVM the storage stack does not let through refused before anything is sent, and a
// drive that reports its format failed ending the run as failed.
TEST(FormatCommandLine, FirmwareEraseEndsOnTheDrivesWordAndItsProof) {
  struct Run { const char* arguments; int exitCode; const char* part; bool formatFails = false; };  // part: of the log or the report
  const Run runs[] = {
      {"format 0 --method secure-erase-enhanced --yes", 0, "\"outcome\": \"erased\""},
      {"format 0 --method secure-erase --verify=full --yes", 0, "Проверка чтением (весь диск): проверено байт: 67,108,864"},
      {"format 1 --method format-user --yes", 2, "Встроенное стирание невозможно: система не пропускает эту команду к накопителю NVMe"},
      {"format 1 --method format-crypto --yes", 1, "\"outcome\": \"failed\"", true},
      {"format 0 --method secure-erase-enhanced --yes", 0, "  Категория NIST SP 800-88: Purge\n"},
      {"format 0 --method secure-erase --yes", 0, "  Оценка накопителя: 2 мин 00 с; заняло: "},
      {"format 1 --method format-crypto --yes", 1, "Итог: НЕ СТЕРТО: накопитель отклонил стирание или сообщил о сбое", true},
  };
  for (const auto& [arguments, exitCode, part, formatFails] : runs) {
    const TempDir dir;
    for (const auto& file : std::filesystem::directory_iterator(std::filesystem::path(TRELVANE_EXAMPLES_DIR) / "demo"))
      std::filesystem::copy(file.path(), dir.path());
    if (formatFails) {
      std::string machine = ReadTextFile(dir.path() / "firmware.json");
      const std::string::size_type reads = machine.find("\"status_reads\": 3", machine.find("\"nvme\""));
      ASSERT_NE(reads, std::string::npos) << "the firmware demo machine's NVMe drive has no erase object";
      std::ofstream(dir.path() / "firmware.json") << machine.insert(reads, "\"ending\": \"fails\", ");
    }
    const CliResult result = RunCli(dir.path() / "firmware.json", std::string(arguments) + " --report '" + dir.path().string() + "'");
    EXPECT_EQ(result.exitCode, exitCode) << arguments << "\n" << result.err;
    std::string texts = result.out + result.err;
    for (const auto& file : std::filesystem::directory_iterator(dir.path()))
      if (file.path().filename().string().starts_with("T")) texts += ReadTextFile(file.path());  // the reports
    EXPECT_NE(texts.find(part), std::string::npos) << arguments << ": " << part << "\n" << texts;
  }
}

}  // namespace
}  // namespace trelvane::testing
