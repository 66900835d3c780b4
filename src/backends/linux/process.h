#pragma once
// This process's rights and path, and starting another program and waiting for it: what the
// windowed program needs to start itself again with administrator rights.

#include <optional>
#include <string>
#include <vector>

namespace trelvane::linux_platform {

bool EffectiveUserIsRoot();

// The absolute path of the running program; empty when the kernel does not tell.
std::string OwnProgramPath();

// Runs `commandLine` (its first word looked up in PATH) and waits for it. Returns its exit code
// (128 + the signal when a signal ended it), or nothing when no process could be made.
std::optional<int> RunAndWait(const std::vector<std::string>& commandLine);

}  // namespace trelvane::linux_platform
