// The JSON documents of list, details and smart: the documented examples against what the program
// prints for them, and the numbers, names and messages on drives changed from the demo machines.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "test_support.h"

namespace trelvane::testing {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// A demo machine copied with its blocks into `folder` (no image file is made beside the examples),
// changed by `change`.
fs::path DemoMachine(const TempDir& folder, const std::string& name, const std::function<void(json&)>& change = {}) {
  for (const auto& entry : fs::directory_iterator(fs::path(TRELVANE_EXAMPLES_DIR) / "demo"))
    if (entry.path().extension() != ".img") fs::copy_file(entry.path(), folder.path() / entry.path().filename());
  json machine = json::parse(ReadTextFile(folder.path() / name));
  if (change) change(machine);
  WriteTextFile(folder.path() / name, machine.dump());
  return folder.path() / name;
}

// Every key of `value` as a JSON pointer, array items sharing "[]" ("/drives/[]/model").
std::set<std::string> KeyPaths(const json& value) {
  static const std::regex index("/[0-9]+"), items(R"((/\[\])+$)");
  std::set<std::string> paths;
  const json flat = value.flatten();
  for (const auto& item : flat.items())
    paths.insert(std::regex_replace(std::regex_replace(item.key(), index, "/[]"), items, ""));
  return paths;
}

// Each example of docs/json-output.md (a command line in a code block, its document in the next) is
// what the program prints, key for key.
TEST(JsonOutput, EachDocumentedExampleParsesAndHasExactlyTheDocumentedKeys) {
  const std::string text = ReadTextFile(fs::path(TRELVANE_SOURCE_DIR) / "docs/json-output.md");
  const std::string prefix = "TRELVANE_MACHINE=examples/demo/";
  std::set<std::string> commandsSeen;
  for (std::size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
    const std::string line = text.substr(at + prefix.size(), text.find('\n', at) - at - prefix.size());
    const std::string machine = line.substr(0, line.find(' '));
    const std::string arguments = line.substr(line.find("trelvane-cli ") + 13);
    const std::size_t start = text.find("```json\n", at) + 8;
    const json documented = json::parse(text.substr(start, text.find("\n```", start) - start));
    TempDir folder;
    const CliResult result = RunCli(DemoMachine(folder, machine), arguments);
    ASSERT_EQ(result.exitCode, 0) << arguments << "\n" << result.err;
    const json printed = json::parse(result.out);
    EXPECT_EQ(KeyPaths(printed), KeyPaths(documented)) << arguments;
    EXPECT_EQ(printed["command"], arguments.substr(0, arguments.find(' ')));
    EXPECT_EQ(printed["format_version"], 1);
    commandsSeen.insert(printed["command"].get<std::string>() + " " + printed.value("transport", json()).dump());
  }
  // list, and details and smart of an ATA and of an NVMe drive.
  EXPECT_EQ(commandsSeen, (std::set<std::string>{"list null", "details \"ata\"", "details \"nvme\"", "smart \"ata\"",
                                                 "smart \"nvme\""}));
}

struct DriveCase {
  const char* arguments;
  std::int64_t sectorSize;  // of demo drive 3 (131 072 sectors), which is also named /dev/sdc
  int exitCode;
  const char* message;  // a part of the one message, or "" for none
  int drive;            // the drive the document names, -1 for none
};

// Sector sizes of 512 and 4096 bytes, a drive named by its node, and the refusals that leave only
// messages in the document.
TEST(JsonOutput, NumbersFollowTheDriveAndRefusalsBecomeMessages) {
  const DriveCase cases[] = {
      {"list --json", 512, 0, "", -1},
      {"list -j", 4096, 0, "", -1},
      {"-j smart /dev/sdc", 4096, 0, "", 3},
      {"details --json 3", 512, 0, "", 3},
      {"details /dev/sdc --json", 4096, 0, "", 3},
      {"smart 2 --json", 512, 0, "SMART не поддерживается этим устройством.", 2},
      {"details 9 --json", 512, 2, "PhysicalDrive9 не найдено", -1},
      {"smart /dev/sdq -j", 512, 2, "Устройство /dev/sdq не найдено среди дисков.", -1},
  };
  for (const DriveCase& c : cases) {
    TempDir folder;
    const fs::path machine = DemoMachine(folder, "demo.json", [&](json& file) {
      for (json& drive : file["drives"])
        if (drive["number"] == 3) {
          drive["sector_size"] = c.sectorSize;
          drive["length"] = c.sectorSize * 131072;  // the sector count stays above the smallest usable
          drive["node"] = "/dev/sdc";
        }
    });
    const CliResult result = RunCli(machine, c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments << "\n" << result.err;
    const json printed = json::parse(result.out);
    const std::string messages = printed["messages"].dump();
    EXPECT_EQ(messages == "[]", *c.message == '\0') << c.arguments << "\n" << messages;
    EXPECT_NE(messages.find(c.message), std::string::npos) << c.arguments << "\n" << messages;
    json drives = printed.value("drives", json::array());
    if (printed.contains("drive")) drives.push_back(printed["drive"]);
    EXPECT_EQ(printed.contains("drive") ? printed["drive"]["number"].get<int>() : -1, c.drive) << c.arguments;
    for (const json& drive : drives) {
      EXPECT_EQ(drive["bytes"], drive["sectors"].get<std::int64_t>() * drive["sector_size"].get<std::int64_t>());
      if (drive["number"] != 3) continue;
      EXPECT_EQ(drive["sector_size"].dump() + drive["node"].dump(), std::to_string(c.sectorSize) + "\"/dev/sdc\"");
    }
  }
}

// The bash completion offers commands, the options of the command typed, methods, and the drives that
// `list --json` names, by number and by node.
TEST(BashCompletion, OffersWhatTheCommandLineTakesAtEachWord) {
  const std::pair<const char*, const char*> cases[] = {
      {"''", "list details smart format"},
      {"-j s", "smart"},
      {"--debug details /d", "/dev/sdc"},
      {"details 3 ''", ""},
      {"list -", "--debug --help -h --version -V --json -j"},
      {"format --method = secure", "secure-erase secure-erase-enhanced"},
      {"format 3 --verify = ''", "full sample"},
      {"format --method zero ''", "0 1 2 3 /dev/sdc 5"},
  };
  TempDir folder;
  const fs::path machine = DemoMachine(folder, "demo.json", [](json& file) { file["drives"][3]["node"] = "/dev/sdc"; });
  std::string script = "source " + (fs::path(TRELVANE_SOURCE_DIR) / "packaging/bash-completion/trelvane-cli").string();
  script += "\nt() { COMP_WORDS=(trelvane-cli \"$@\"); COMP_CWORD=$#; _trelvane_cli; echo \"${COMPREPLY[*]}\"; }\n";
  for (const auto& [line, offered] : cases) script += std::string("t ") + line + "\n";
  WriteTextFile(folder.path() / "complete.sh", script);
  const std::string command = "PATH=" + fs::path(TRELVANE_CLI_PATH).parent_path().string() +
                              ":$PATH TRELVANE_MACHINE=" + machine.string() + " bash " +
                              (folder.path() / "complete.sh").string() + " >" + (folder.path() / "out").string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::istringstream out(ReadTextFile(folder.path() / "out"));
  for (const auto& [line, offered] : cases) {
    std::string got;
    std::getline(out, got);
    EXPECT_EQ(got, offered) << line;
  }
}

}  // namespace
}  // namespace trelvane::testing
