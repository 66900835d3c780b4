#include "backends/linux/system_info.h"

#include <sys/utsname.h>
#include <time.h>

#include <cerrno>
#include <cstdlib>

#include "backends/linux/shell_open.h"
#include "backends/linux/sysfs.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::linux_platform {

namespace {

// The number at the start of `text`, and the rest after one separating dot.
std::uint32_t TakeNumber(std::string_view& text) {
  std::uint32_t value = 0;
  std::size_t at = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') value = value * 10 + static_cast<std::uint32_t>(text[at++] - '0');
  text.remove_prefix(at);
  if (at > 0 && !text.empty() && text[0] == '.') text.remove_prefix(1);
  else text = {};
  return value;
}

}  // namespace

OsVersion VersionFromKernelRelease(std::string_view release) {
  OsVersion version;
  version.platformId = PlatformWin32Nt;
  version.major = TakeNumber(release);
  version.minor = TakeNumber(release);
  version.build = TakeNumber(release);
  return version;
}

OsVersion ReadKernelVersion() {
  utsname names{};
  if (uname(&names) != 0) return VersionFromKernelRelease("");
  return VersionFromKernelRelease(names.release);
}

std::u16string PlatformPathSyntax(std::string_view path) {
  std::u16string text = FromUtf8(path);
  for (char16_t& c : text)
    if (c == u'/') c = u'\\';
  return text;
}

std::u16string ReadProgramPath(const std::string& argv0) {
  if (const auto exe = RealPath("/proc/self/exe")) return PlatformPathSyntax(*exe);
  std::optional<std::string> path;
  if (argv0.find('/') != std::string::npos) path = RealPath(argv0);
  else if (const auto found = FindOnPath(argv0)) path = RealPath(*found);
  return PlatformPathSyntax(path.value_or(argv0));
}

SystemTime ReadLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return SystemTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                    local.tm_min,         local.tm_sec,     static_cast<int>(now.tv_nsec / 1000000)};
}

void SleepMilliseconds(std::uint32_t milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace trelvane::linux_platform
