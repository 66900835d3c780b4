#include "report/report_files.h"

#include <cerrno>
#include <fstream>
#include <random>
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

std::u16string Shown(const std::filesystem::path& path) { return FromUtf8(path.string()); }

// Creates and removes a file of a name nobody else uses; the reason it could not, or nothing.
std::optional<std::u16string> CannotWriteInto(const std::filesystem::path& folder) {
  std::random_device random;
  std::filesystem::path probe;
  std::error_code error;
  do {
    probe = folder / (".trelvane-check-" + std::to_string(random()) + ".tmp");
  } while (std::filesystem::exists(probe, error));
  {
    std::ofstream file(probe, std::ios::binary);
    if (!file) return FromUtf8(std::error_code(errno, std::generic_category()).message());
  }
  if (!std::filesystem::remove(probe, error) || error) return FromUtf8(error.message());
  return std::nullopt;
}

}  // namespace

std::optional<std::u16string> ReportFolderRefusal(System& system, const std::filesystem::path& folder,
                                                  std::int64_t driveNumber) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(folder, error);
  if (!std::filesystem::exists(status)) return u"Папка для отчета не существует: " + Shown(folder);
  if (!std::filesystem::is_directory(status)) return u"Путь для отчета не является папкой: " + Shown(folder);
  if (const auto why = CannotWriteInto(folder))
    return u"В папку для отчета нельзя записать: " + Shown(folder) + u": " + *why;
  if (system.FolderPlaceOfDrive(Shown(folder), driveNumber) == FolderPlace::OnDrive)
    return u"Папка для отчета находится на стираемом диске: " + Shown(folder);
  return std::nullopt;
}

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
  if (!WriteWhole(saved.json, ErasureReportJson(report)) || !WriteWhole(text, ErasureReportText(report))) {
    saved.error = FromUtf8(saved.json.string() + ": " + std::make_error_code(std::errc::io_error).message());
    // A cut-off copy would only fail its digest check later; nothing is better than that.
    std::filesystem::remove(saved.json, error);
    std::filesystem::remove(text, error);
  }
  return saved;
}

}  // namespace trelvane
