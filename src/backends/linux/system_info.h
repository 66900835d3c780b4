#pragma once
// System information in the platform's shapes: the version query, the program's path, the clock.

#include <cstdint>
#include <string>
#include <string_view>

#include "os/system.h"

namespace trelvane::linux_platform {

// "6.18.44-fc-v1272" -> major 6, minor 18, build 44; platform 2, no service-pack text.
OsVersion VersionFromKernelRelease(std::string_view release);
OsVersion ReadKernelVersion();

// The program file's real path with every "/" written as "\": the program finds its folder by
// cutting at the last backslash, so the path keeps the platform's separator while naming the real
// Linux file ("\usr\local\bin\trelvane").
std::u16string PlatformPathSyntax(std::string_view path);
// /proc/self/exe, else `argv0` made absolute (searched on PATH when it has no slash).
std::u16string ReadProgramPath(const std::string& argv0);

SystemTime ReadLocalTime();
void SleepMilliseconds(std::uint32_t milliseconds);

}  // namespace trelvane::linux_platform
