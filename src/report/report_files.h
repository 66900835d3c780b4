#pragma once
// Saving an erasure report: its JSON and text files, side by side in one folder.

#include <filesystem>
#include <optional>
#include <string>

#include "report/erasure_report.h"

namespace trelvane {

struct SavedReport {
  std::filesystem::path json;  // "<folder>/<name>.json"; the text file is "<name>.txt" beside it
  std::optional<std::u16string> error;  // why it could not be written; nothing when both files were
};

// Creates the folder when missing. An existing report of the same name is not overwritten: the new
// one gets "-2", "-3" ... added to its name.
SavedReport SaveErasureReport(const std::filesystem::path& folder, const ErasureReport& report);

// Why `folder` cannot take the report of a run on drive N, as one line for the user: it is not an
// existing folder, a file cannot be created and removed in it, or it is stored on drive N itself
// (where the run would erase the report, or the report overwrite the erasure). Nothing when it can.
// A platform that cannot tell where the folder is stored lets it pass.
std::optional<std::u16string> ReportFolderRefusal(System& system, const std::filesystem::path& folder,
                                                  std::int64_t driveNumber);

// Collects the report of `run` and saves it in `folder`.
SavedReport SaveRunReport(System& system, const ProgramState& state, const FormatCommandOutcome& run,
                          const std::filesystem::path& folder);

}  // namespace trelvane
