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

// Every key of `value` as a path ("drive.model"); the items of an array share "[]".
void KeyPaths(const json& value, const std::string& prefix, std::set<std::string>& paths) {
  if (value.is_object()) {
    for (const auto& [key, member] : value.items()) {
      paths.insert(prefix + key);
      KeyPaths(member, prefix + key + ".", paths);
    }
  } else if (value.is_array()) {
    for (const json& item : value) KeyPaths(item, prefix + "[].", paths);
  }
}

std::set<std::string> KeyPaths(const json& value) {
  std::set<std::string> paths;
  KeyPaths(value, "", paths);
  return paths;
}

struct Example {
  std::string machine;
  std::string arguments;
  json document;
};

// The examples of docs/json-output.md: a command line in a code block, its document in the next.
std::vector<Example> DocumentedExamples() {
  const std::string text = ReadTextFile(fs::path(TRELVANE_SOURCE_DIR) / "docs/json-output.md");
  static const std::regex example(
      R"(TRELVANE_MACHINE=examples/demo/(\S+) trelvane-cli ([^\n]+)\n```\n+```json\n([\s\S]*?)\n```)");
  std::vector<Example> examples;
  for (auto match = std::sregex_iterator(text.begin(), text.end(), example); match != std::sregex_iterator(); ++match)
    examples.push_back({(*match)[1], (*match)[2], json::parse((*match)[3].str())});
  return examples;
}

TEST(JsonOutput, EachDocumentedExampleParsesAndHasExactlyTheDocumentedKeys) {
  const std::vector<Example> examples = DocumentedExamples();
  std::set<std::string> commandsSeen;
  for (const Example& example : examples) {
    TempDir folder;
    const CliResult result = RunCli(DemoMachine(folder, example.machine), example.arguments);
    ASSERT_EQ(result.exitCode, 0) << example.arguments << "\n" << result.err;
    const json printed = json::parse(result.out);
    EXPECT_EQ(KeyPaths(printed), KeyPaths(example.document)) << example.machine << ": " << example.arguments;
    EXPECT_EQ(printed["command"], example.arguments.substr(0, example.arguments.find(' ')));
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
  std::int64_t drive;   // the drive the document names, -1 for none
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
      {"details 9 --json", 512, 2, "\\\\.\\PhysicalDrive9 не найдено", -1},
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
    const json& messages = printed["messages"];
    ASSERT_EQ(messages.size(), std::string(c.message).empty() ? 0u : 1u) << c.arguments << "\n" << result.out;
    if (!messages.empty()) {
      EXPECT_NE(messages[0].get<std::string>().find(c.message), std::string::npos) << c.arguments;
    }
    EXPECT_EQ(printed.contains("drive") ? printed["drive"]["number"].get<std::int64_t>() : -1, c.drive) << c.arguments;
    json drives = printed.contains("drives") ? printed["drives"] : json::array();
    if (printed.contains("drive")) drives.push_back(printed["drive"]);
    for (const json& drive : drives) {
      EXPECT_EQ(drive["bytes"], drive["sectors"].get<std::int64_t>() * drive["sector_size"].get<std::int64_t>());
      if (drive["number"] != 3) continue;
      EXPECT_EQ(drive["sector_size"], c.sectorSize) << c.arguments;
      EXPECT_EQ(drive["node"], "/dev/sdc") << c.arguments;
    }
  }
}

struct CompletionCase {
  const char* line;  // the words typed, the last one being completed
  const char* offered;
};

// The bash completion offers commands, the options of the command typed, methods, and the drives that
// `list --json` names, by number and by node.
TEST(BashCompletion, OffersWhatTheCommandLineTakesAtEachWord) {
  const CompletionCase cases[] = {
      {"trelvane-cli ''", "list details smart format"},
      {"trelvane-cli -j s", "smart"},
      {"trelvane-cli smart ''", "0 1 2 3 /dev/sdc 5"},
      {"trelvane-cli --debug details /d", "/dev/sdc"},
      {"trelvane-cli details 3 ''", ""},
      {"trelvane-cli list -", "--debug --help -h --version -V --json -j"},
      {"trelvane-cli format 3 --y", "--yes"},
      {"trelvane-cli format --method = secure", "secure-erase secure-erase-enhanced"},
      {"trelvane-cli format 3 --verify = ''", "full sample"},
      {"trelvane-cli format --method zero ''", "0 1 2 3 /dev/sdc 5"},
  };
  TempDir folder;
  const fs::path machine = DemoMachine(folder, "demo.json", [](json& file) {
    for (json& drive : file["drives"])
      if (drive["number"] == 3) drive["node"] = "/dev/sdc";
  });
  std::string script = "source '" + (fs::path(TRELVANE_SOURCE_DIR) / "packaging/bash-completion/trelvane-cli").string() +
                       "'\nt() { COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMPREPLY=(); _trelvane_cli; "
                       "echo \"${COMPREPLY[*]}\"; }\n";
  for (const CompletionCase& c : cases) script += std::string("t ") + c.line + "\n";
  WriteTextFile(folder.path() / "complete.sh", script);
  const std::string command = "PATH='" + fs::path(TRELVANE_CLI_PATH).parent_path().string() + "':\"$PATH\" TRELVANE_MACHINE='" +
                              machine.string() + "' bash '" + (folder.path() / "complete.sh").string() + "' > '" +
                              (folder.path() / "out").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::istringstream out(ReadTextFile(folder.path() / "out"));
  for (const CompletionCase& c : cases) {
    std::string offered;
    std::getline(out, offered);
    EXPECT_EQ(offered, c.offered) << c.line;
  }
}

}  // namespace
}  // namespace trelvane::testing
