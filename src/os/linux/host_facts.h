#pragma once
// The computer's name, the distribution's name and the user behind the program, for the erasure report.

#include <optional>
#include <string>

#include "os/system.h"

namespace trelvane::linux_platform {

// The PRETTY_NAME of an os-release text ("Debian GNU/Linux 13 (trixie)"), unquoted; nothing when
// the text has none.
std::optional<std::string> PrettyName(const std::string& osRelease);

HostFacts ReadHostFacts();

}  // namespace trelvane::linux_platform
