#pragma once
// The computer's name, the distribution's name and the user behind the program, for the erasure report.

#include <sys/types.h>

#include <optional>
#include <string>

#include "os/system.h"

namespace trelvane::linux_platform {

// The PRETTY_NAME of an os-release text ("Debian GNU/Linux 13 (trixie)"), unquoted; nothing when
// the text has none.
std::optional<std::string> PrettyName(const std::string& osRelease);

// The audit login UID of /proc/self/loginuid; nothing when it is unset (4294967295, a process not
// started from a login) or not a number.
inline constexpr unsigned long long UnsetLoginUid = 4294967295ull;
std::optional<uid_t> ParseLoginUid(const std::string& text);

HostFacts ReadHostFacts();

}  // namespace trelvane::linux_platform
