// `trelvane-cli list --debug` on machines that exercise the probe, the enumeration, the volume
// discovery and the start-up gates; the whole output is compared with reviewed golden texts.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace trelvane::testing
