// Keeps the dependencies between the folders of src/ pointing one way: every `#include "…"` must name
// a file of its own folder or of a folder listed lower in src/layers.txt, and operating-system and Qt
// headers appear only in the folders that may use them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path SourceRoot = fs::path(TRELVANE_SOURCE_DIR) / "src";

// Folder → rank (its line in layers.txt, lowest first).
std::map<std::string, int> ReadLayers() {
  std::ifstream file(SourceRoot / "layers.txt");
  std::map<std::string, int> rank;
  std::string line;
  int lineNumber = 0;
  while (std::getline(file, line)) {
    if (line.empty() || line.front() == '#') continue;
    std::istringstream folders(line);
    for (std::string folder; folders >> folder;) rank[folder] = lineNumber;
    ++lineNumber;
  }
  return rank;
}

std::string FolderOf(const fs::path& relative) { return relative.parent_path().generic_string(); }

// Header families that only some folders may include.
struct RestrictedHeaders {
  std::vector<std::string> prefixes;
  std::vector<std::string> folders;
};

const std::vector<RestrictedHeaders> Restricted{
    {{"<Q"}, {"ui/toolkit", "ui"}},
    {{"<windows.h>", "<winioctl.h>", "<shellapi.h>", "<io.h>"}, {"backends/windows", "launch", "win32/toolkit", "win32"}},
    {{"<commctrl.h>", "<uxtheme.h>"}, {"win32/toolkit", "win32"}},
    {{"<sys/", "<linux/", "<scsi/", "<unistd.h>", "<fcntl.h>", "<dirent.h>", "<langinfo.h>"},
     {"backends/linux", "launch"}},
};

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::vector<std::string> Violations() {
  const std::map<std::string, int> rank = ReadLayers();
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(SourceRoot)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".h" && extension != ".cpp") continue;
    const fs::path relative = fs::relative(entry.path(), SourceRoot);
    const std::string folder = FolderOf(relative);
    const auto own = rank.find(folder);
    if (own == rank.end()) {
      found.push_back(relative.generic_string() + ": folder " + folder + " is not in src/layers.txt");
      continue;
    }
    std::ifstream file(entry.path());
    std::string line;
    for (int lineNumber = 1; std::getline(file, line); ++lineNumber) {
      if (!StartsWith(line, "#include ")) continue;
      const std::string target = line.substr(9);
      const std::string where = relative.generic_string() + ":" + std::to_string(lineNumber) + ": ";
      if (StartsWith(target, "\"")) {
        const std::string included = target.substr(1, target.find('"', 1) - 1);
        const std::string includedFolder = FolderOf(included);
        if (includedFolder == folder) continue;
        const auto other = rank.find(includedFolder);
        if (other == rank.end() || other->second >= own->second)
          found.push_back(where + "includes " + included + ", which is not below " + folder);
        continue;
      }
      for (const RestrictedHeaders& family : Restricted)
        for (const std::string& prefix : family.prefixes)
          if (StartsWith(target, prefix) &&
              std::find(family.folders.begin(), family.folders.end(), folder) == family.folders.end())
            found.push_back(where + "includes " + target + ", which only some folders may use");
    }
  }
  return found;
}

TEST(IncludeOrder, EveryIncludePointsDownTheLayers) {
  ASSERT_TRUE(fs::exists(SourceRoot / "layers.txt"));
  std::string report;
  for (const std::string& violation : Violations()) report += violation + "\n";
  EXPECT_EQ(report, "");
}

}  // namespace
