#include "backends/linux/process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace trelvane::linux_platform {

namespace {

// The child's exit code when exec failed: the same code a shell uses for a command it did not find.
constexpr int ExecFailed = 127;
constexpr int SignalExitBase = 128;

}  // namespace

bool EffectiveUserIsRoot() { return geteuid() == 0; }

std::string OwnProgramPath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::optional<int> RunAndWait(const std::vector<std::string>& commandLine) {
  if (commandLine.empty()) return std::nullopt;
  std::vector<char*> argv;
  for (const std::string& word : commandLine) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    execvp(argv[0], argv.data());
    _exit(ExecFailed);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return std::nullopt;
  // A program ended by a signal reports it as a shell does.
  return WIFEXITED(status) ? WEXITSTATUS(status) : SignalExitBase + WTERMSIG(status);
}

}  // namespace trelvane::linux_platform
