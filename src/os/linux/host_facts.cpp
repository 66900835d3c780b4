#include "os/linux/host_facts.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "text/u16.h"

namespace trelvane::linux_platform {

namespace {

std::string NameOfUid(uid_t uid) {
  const passwd* entry = getpwuid(uid);
  return entry != nullptr ? entry->pw_name : std::to_string(uid);
}

// The program runs as root through sudo or pkexec; both say who asked for it. A value that is not a
// plain number (PKEXEC_UID) is not trusted.
std::string RealUser() {
  if (const char* sudoUser = std::getenv("SUDO_USER"); sudoUser != nullptr && *sudoUser != '\0') return sudoUser;
  if (const char* pkexecUid = std::getenv("PKEXEC_UID"); pkexecUid != nullptr && *pkexecUid != '\0') {
    char* end = nullptr;
    const unsigned long uid = std::strtoul(pkexecUid, &end, 10);
    if (end != nullptr && *end == '\0') return NameOfUid(static_cast<uid_t>(uid));
  }
  return NameOfUid(getuid());
}

std::string OperatingSystem() {
  std::ifstream file("/etc/os-release");
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::string name = PrettyName(text).value_or("Linux");
  utsname names{};
  if (uname(&names) == 0) name += std::string(", ") + names.sysname + " " + names.release;
  return name;
}

int UtcOffsetMinutes() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return static_cast<int>(local.tm_gmtoff / 60);
}

}  // namespace

std::optional<std::string> PrettyName(const std::string& osRelease) {
  std::istringstream lines(osRelease);
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("PRETTY_NAME=")) continue;
    std::string value = line.substr(12);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return std::nullopt;
}

HostFacts ReadHostFacts() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return HostFacts{FromUtf8(host), FromUtf8(OperatingSystem()), FromUtf8(RealUser()), UtcOffsetMinutes()};
}

}  // namespace trelvane::linux_platform
