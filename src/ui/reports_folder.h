#pragma once
// The per-user folder the windows save erasure reports in.

#include <filesystem>

namespace trelvane {

// $XDG_DATA_HOME/trelvane/reports; on Windows %LOCALAPPDATA%\Trelvane\reports; else
// ~/.local/share/trelvane/reports.
std::filesystem::path ReportsFolder();

}  // namespace trelvane
