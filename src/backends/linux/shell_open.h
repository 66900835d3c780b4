#pragma once
// ShellExecuteW("open", ...) on a Linux desktop: an address or file goes to xdg-open; the disk
// management console ("diskmgmt.msc") becomes the desktop's disk utility. The program is started
// directly (never through a shell), is not waited for, and leaves no zombie behind.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvane::linux_platform {

// The full path of an executable found on PATH, or nullopt.
using ProgramFinder = std::function<std::optional<std::string>(std::string_view name)>;

// The command line to start (program path first), or nullopt when nothing fits.
std::optional<std::vector<std::string>> ShellCommand(std::u16string_view verb, std::u16string_view file,
                                                     const ProgramFinder& find);

std::optional<std::string> FindOnPath(std::string_view name);

// Starts the command detached: a grandchild that the caller never waits for.
void StartDetached(const std::vector<std::string>& command);

}  // namespace trelvane::linux_platform
