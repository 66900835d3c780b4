// `trelvane-cli list --debug` on machines that exercise the probe, the enumeration, the volume
// discovery and the start-up gates, the whole output compared with reviewed golden texts; and what an
// ordinary user sees: help, version, the drives that rights kept out of reach, and refused words.

#include <gtest/gtest.h>

#include <string>

#include "cli_runner.h"
#include "test_support.h"

namespace trelvane::testing {
namespace {

struct ListCase {
  const char* machine;
  int exitCode;
};

class ListCommand : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListCommand, PrintsEveryStartupLineAndTheDriveRows) {
  const ListCase& param = GetParam();
  const CliResult result = RunCli(Machine(std::string("cli/") + param.machine + ".json"), "list --debug");
  EXPECT_EQ(result.exitCode, param.exitCode) << result.err;
  ExpectGolden(std::string("cli/list-") + param.machine + ".out", result.out);
  ExpectGolden(std::string("cli/list-") + param.machine + ".err", result.err);
}

INSTANTIATE_TEST_SUITE_P(Machines, ListCommand,
                         ::testing::Values(ListCase{"enumeration", 0}, ListCase{"twenty-drives", 0},
                                           ListCase{"device-fails", 3}, ListCase{"platform-gate", 3},
                                           ListCase{"setupapi-missing", 3}, ListCase{"wow64-fails", 3},
                                           ListCase{"drive-strings-overflow", 0}),
                         [](const auto& testInfo) {
                           std::string name = testInfo.param.machine;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST(ListCommand, WithoutDebugOnlyTheWarningLinesAndRowsArePrinted) {
  const CliResult result = RunCli(Machine("cli/enumeration.json"), "list");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
  ExpectGolden("cli/list-enumeration-plain.out", result.out);
}

TEST(CommandLine, ABrokenMachineFileIsAFatalErrorNamingTheField) {
  TempDir folder;
  WriteTextFile(folder.path() / "bad.json", R"({"drives": [{"number": 0, "sector_size": "big"}]})");
  const CliResult result = RunCli(folder.path() / "bad.json", "list");
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_NE(result.err.find("sector_size"), std::string::npos) << result.err;
}

struct InformationCase {
  const char* machine;
  const char* arguments;
  int exitCode;
  const char* outPart;  // a part of standard output
  std::string err;      // standard error, whole or (with errPart) a part of it
  bool errPart = false;
  const char* locale = "LC_ALL=ru_RU.UTF-8";
};

std::string DeniedLine(int skipped) {
  return "Нет доступа к дискам (пропущено: " + std::to_string(skipped) +
         "): нужны права администратора, запустите через sudo, например: sudo trelvane-cli list\n";
}

// Help, version, the drives rights kept away, and the words and drives the command line refuses.
TEST(CommandLine, AnswersHelpAndVersionAndRefusesWhatItCannotDo) {
  const InformationCase cases[] = {
      {"cli/enumeration.json", "--help", 0, "Использование: trelvane-cli", ""},
      {"cli/enumeration.json", "-h", 0, "Использование: trelvane-cli", ""},
      // Help alone follows the locale, found as gettext finds it; what the program says stays Russian.
      {"cli/enumeration.json", "--help", 0, "Usage: trelvane-cli", "", false, "LC_ALL=C LANG=ru_RU.UTF-8"},
      {"cli/enumeration.json", "-h", 0, "Использование: trelvane-cli", "", false, "LC_ALL= LC_MESSAGES=ru_UA LANG=C"},
      {"cli/enumeration.json", "erase 0", 64, "", "Неизвестная команда: erase\n", true, "LC_ALL=C"},
      {"cli/enumeration.json", "--version", 0, "Trelvane 4.40\n", ""},
      {"cli/access-denied.json", "list", 3, "", DeniedLine(2)},
      {"cli/access-denied.json", "format 0 --yes", 3, "", DeniedLine(2)},
      {"cli/access-partly-denied.json", "list", 0, "READABLE DISK", DeniedLine(1)},
      {"cli/enumeration.json", "details 1", 2, "", "PhysicalDrive1", true},  // not in the table
      {"cli/enumeration.json", "smart 40", 2, "",
       "К этому устройству нет доступа, потому что в нем меньше 65535 секторов.  \n"},
      // Words the command line cannot take are a usage error (64), not a refusal of the drive (2).
      {"cli/enumeration.json", "details -1", 64, "", "Неверный номер устройства: -1\n", true},
      {"cli/enumeration.json", "erase 0", 64, "", "Неизвестная команда: erase\n", true},
      {"cli/enumeration.json", "format", 64, "", "Не указан номер устройства.\n", true},
      {"cli/enumeration.json", "format 0 --force", 64, "", "Неизвестный аргумент: --force\n", true},
      {"cli/enumeration.json", "list --quick", 64, "", "Неизвестный аргумент: --quick\n", true},
      {"cli/enumeration.json", "format 0 --method wipe", 64, "", "Неизвестный способ стирания: wipe\n", true},
      {"cli/enumeration.json", "format 0 --method", 64, "", "Не указан способ стирания: --method\n", true},
      {"cli/enumeration.json", "format 0 --quick --method=zero", 64, "",
       "Указано несколько способов стирания: quick и zero\n", true},
      {"cli/enumeration.json", "list --method zero", 64, "", "Неизвестный аргумент: --method\n", true},
      {"cli/enumeration.json", "format 0 --json", 64, "", "Неизвестный аргумент: --json\n", true},
      {"cli/enumeration.json", "format 0 --report=", 64, "", "Не указана папка для отчета: --report\n", true},
      {"cli/enumeration.json", "format 0 --verify=most", 64, "", "Неизвестный аргумент: --verify=most\n", true},
      {"cli/enumeration.json", "format 0 -qx", 64, "", "Неизвестный аргумент: -qx\n", true},
      {"cli/enumeration.json", "--debug", 64, "", "Не указана команда.\n", true},
      // "--" ends the options: what follows is the drive, however it is spelled.
      {"cli/enumeration.json", "details -- --json", 64, "", "Неверный номер устройства: --json\n", true},
      // Options before the command, values after "=", aliases grouped; help and version anywhere.
      {"cli/enumeration.json", "-V", 0, "Trelvane 4.40\n", ""},
      {"cli/enumeration.json", "list --version", 0, "Trelvane 4.40\n", ""},
      {"cli/enumeration.json", "--debug list", 0, "VIRT FORTY", "", true},
      {"cli/enumeration.json", "format --report=/nonexistent-folder 0 --yes", 2, "", "/nonexistent-folder", true},
      {"cli/enumeration.json", "-qy format --method=quick 0", 0, "", "", true},
      {"cli/enumeration.json", "smart /dev/sdq", 2, "", "Устройство /dev/sdq не найдено среди дисков.\n"},
      // An ATA drive has no Format NVM: refused before the confirmation, nothing written.
      {"cli/enumeration.json", "format 0 --method format-user", 2, "",
       "Встроенное стирание невозможно: ", true},
      {"cli/enumeration.json", "format 0 --method auto --yes", 0, "", "Выбран способ стирания: ", true},
  };
  for (const InformationCase& c : cases) {
    const CliResult result = RunCli(Machine(c.machine), c.arguments, "", c.locale);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments << "\n" << result.err;
    EXPECT_NE(result.out.find(c.outPart), std::string::npos) << c.arguments << "\n" << result.out;
    if (c.errPart) {
      EXPECT_NE(result.err.find(c.err), std::string::npos) << c.arguments << "\n" << result.err;
    } else {
      EXPECT_EQ(result.err, c.err) << c.arguments;
    }
  }
}

}  // namespace
}  // namespace trelvane::testing