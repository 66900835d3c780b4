#include "backends/linux/host_facts.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

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

// The program runs as root through sudo or pkexec. Who asked for it is the session's login record:
// the audit login UID, which the kernel keeps for every process of a login, passes through sudo and
// pkexec, and no unprivileged process can change. Environment variables (SUDO_USER, PKEXEC_UID) are
// not asked: anyone can set them. Without a login record (a service, a container) the real UID.
std::string RealUser() {
  const auto text = [] {
    std::ifstream file("/proc/self/loginuid");
    return std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }();
  return NameOfUid(ParseLoginUid(text).value_or(getuid()));
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

std::optional<uid_t> ParseLoginUid(const std::string& text) {
  std::string digits = text;
  while (!digits.empty() && (digits.back() == '\n' || digits.back() == ' ')) digits.pop_back();
  if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const unsigned long long uid = std::stoull(digits);
  if (uid >= UnsetLoginUid) return std::nullopt;
  return static_cast<uid_t>(uid);
}

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
