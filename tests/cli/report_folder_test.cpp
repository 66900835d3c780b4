// `format N --report DIR`: the folder is checked before anything is asked, locked or written; a report
// that cannot be saved at the end turns success into exit 4; the drive's own texts reach the terminal
// and both report files escaped.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "cli_runner.h"
#include "machine_json.h"
#include "test_support.h"

namespace trelvane::testing {
namespace {

// Drive 0 holds volume E:, whose files stand in `onDrive`; its product text carries a terminal escape.
struct ReportBench {
  ReportBench() {
    std::filesystem::create_directories(onDrive / "inner");
    WriteTextFile(dir.path() / "not-a-folder", "");
    const std::string drive =
        DriveJson(0, 33554432, R"(, "node": "/dev/sdb", "adapter": {"bus_type": 11},)"
                               R"( "device": {"vendor": "EVIL", "product": "X\u001b[2J\u0007Y"})");
    WriteTextFile(machine, MachineJson("[" + drive + "]", R"([{"root": "E:\\", "device_number": 0, "host_folder": ")" +
                                                              onDrive.string() + R"("}])"));
  }
  TempDir dir;
  std::filesystem::path onDrive = dir.path() / "on-drive";
  std::filesystem::path machine = dir.path() / "machine.json";
};

TEST(ReportFolder, RefusedBeforeTheConfirmationAndTheLock) {
  const ReportBench bench;
  const std::pair<std::filesystem::path, const char*> cases[] = {
      {bench.dir.path() / "missing", "Папка для отчета не существует: "},
      {bench.dir.path() / "not-a-folder", "Путь для отчета не является папкой: "},
      {"/proc", "В папку для отчета нельзя записать: /proc: "},
      {bench.onDrive, "Папка для отчета находится на стираемом диске: "},
      {bench.onDrive / "inner", "Папка для отчета находится на стираемом диске: "},
  };
  for (const auto& [folder, line] : cases) {
    const CliResult result = RunCli(bench.machine, "format 0 --report '" + folder.string() + "'", "да\n");
    EXPECT_EQ(result.exitCode, 2) << folder;
    EXPECT_EQ(result.err.rfind(line, 0), 0u) << result.err;
    EXPECT_EQ(result.out.find("Блокировка устройства"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Не забудьте"), std::string::npos) << result.out;
  }
}

TEST(ReportFolder, ReportsNameTheNodeAndShowDriveTextsEscaped) {
  const ReportBench bench;
  const std::filesystem::path reports = bench.dir.path() / "reports";
  std::filesystem::create_directories(reports);
  const CliResult result = RunCli(bench.machine, "format 0 --method quick --yes --report '" + reports.string() + "'");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const CliResult list = RunCli(bench.machine, "list");
  EXPECT_NE(list.out.find("\tEVIL X\\x1B[2J\\x07Y"), std::string::npos) << list.out;
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(reports)) {
    const std::string text = ReadTextFile(entry.path());
    EXPECT_EQ(text.find('\x1B'), std::string::npos) << entry.path();
    EXPECT_NE(text.find("x1B[2J"), std::string::npos) << text;
    EXPECT_NE(text.find("/dev/sdb"), std::string::npos) << text;
    EXPECT_EQ(text.find("\"method\": \"quick_wipe\"") != std::string::npos, entry.path().extension() == ".json");
    ++files;
  }
  EXPECT_EQ(files, 2u);
}

// Files of the shell's children may not grow past 512 bytes: the check's empty file is made, the
// report is not (SIGXFSZ ignored, so the write fails instead of ending the program).
TEST(ReportFolder, AReportLostAtTheEndExitsFour) {
  const ReportBench bench;
  const std::filesystem::path err = bench.dir.path() / "err";
  const std::string command = "trap '' XFSZ; ulimit -f 1; TRELVANE_MACHINE='" + bench.machine.string() + "' '" +
                              TRELVANE_CLI_PATH + "' format 0 --quick --yes --report '" + bench.dir.path().string() +
                              "' >/dev/null 2>'" + err.string() + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 4);
  EXPECT_NE(ReadTextFile(err).find("Не удалось записать отчет о стирании: "), std::string::npos) << ReadTextFile(err);
}

}  // namespace
}  // namespace trelvane::testing
