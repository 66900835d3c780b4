#include "format/report_files.h"

#include <fstream>
#include <system_error>

#include "text/u16.h"

namespace trelvane {

namespace {

bool WriteWhole(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

std::filesystem::path FreeStem(const std::filesystem::path& folder, const std::string& name) {
  std::filesystem::path stem = folder / name;
  std::error_code ignored;
  for (int copy = 2; std::filesystem::exists(stem.string() + ".json", ignored) ||
                     std::filesystem::exists(stem.string() + ".txt", ignored);
       ++copy)
    stem = folder / (name + "-" + std::to_string(copy));
  return stem;
}

}  // namespace

SavedReport SaveRunReport(System& system, const ProgramState& state, const FormatCommandOutcome& run,
                          const std::filesystem::path& folder) {
  return SaveErasureReport(folder, CollectErasureReport(system, state, run));
}

SavedReport SaveErasureReport(const std::filesystem::path& folder, const ErasureReport& report) {
  SavedReport saved;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    saved.error = FromUtf8(folder.string() + ": " + error.message());
    return saved;
  }
  const std::filesystem::path stem = FreeStem(folder, ErasureReportName(report));
  saved.json = stem.string() + ".json";
  const std::filesystem::path text = stem.string() + ".txt";
  if (!WriteWhole(saved.json, ErasureReportJson(report)) || !WriteWhole(text, ErasureReportText(report)))
    saved.error = FromUtf8(saved.json.string() + ": " + std::make_error_code(std::errc::io_error).message());
  return saved;
}

}  // namespace trelvane
