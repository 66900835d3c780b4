#include "backends/linux/shell_open.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "text/u16.h"

namespace trelvane::linux_platform {

namespace {

// Disk utilities in order of preference.
constexpr std::array<std::string_view, 3> DiskUtilities{"gnome-disks", "kdiskmanager", "partitionmanager"};
constexpr std::u16string_view DiskManagementConsole = u"diskmgmt.msc";

void RedirectToNull() {
  const int null = open("/dev/null", O_RDWR);
  if (null < 0) return;
  dup2(null, 0);
  dup2(null, 1);
  dup2(null, 2);
  if (null > 2) close(null);
}

}  // namespace

std::optional<std::vector<std::string>> ShellCommand(std::u16string_view verb, std::u16string_view file,
                                                     const ProgramFinder& find) {
  if (!verb.empty() && AsciiLower(verb) != u"open") return std::nullopt;
  if (file.empty()) return std::nullopt;
  if (AsciiLower(file) == DiskManagementConsole) {
    for (std::string_view utility : DiskUtilities)
      if (const auto path = find(utility)) return std::vector<std::string>{*path};
    return std::nullopt;
  }
  if (const auto opener = find("xdg-open")) return std::vector<std::string>{*opener, ToUtf8(file)};
  return std::nullopt;
}

std::optional<std::string> FindOnPath(std::string_view name) {
  const char* variable = std::getenv("PATH");
  const std::string path = variable != nullptr && *variable != '\0' ? variable : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t colon = path.find(':', start);
    if (colon == std::string::npos) colon = path.size();
    const std::string folder = path.substr(start, colon - start);
    if (!folder.empty()) {
      const std::string candidate = folder + "/" + std::string(name);
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    start = colon + 1;
  }
  return std::nullopt;
}

void StartDetached(const std::vector<std::string>& command) {
  if (command.empty()) return;
  // Everything the children use is prepared before fork: after it only async-signal-safe calls.
  std::vector<char*> argv;
  for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    if (fork() == 0) {
      setsid();
      RedirectToNull();
      execv(argv[0], argv.data());
      _exit(127);
    }
    _exit(0);
  }
  if (child > 0) {
    // The intermediate child exits at once; the grandchild is adopted by init, which reaps it.
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

}  // namespace trelvane::linux_platform
