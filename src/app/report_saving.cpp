#include "app/report_saving.h"

#include "format/report_files.h"

namespace trelvane {

void SaveReportAndSaySo(System& system, const ProgramState& state, DiagnosticLog& log,
                        const FormatCommandOutcome& outcome, const std::filesystem::path& folder) {
  const SavedReport saved = SaveRunReport(system, state, outcome, folder);
  if (saved.error) log.AddFormatLogLine(u"Не удалось записать отчет о стирании: " + *saved.error);
  else log.AddFormatLogLine(u"Отчет о стирании: " + saved.json.u16string());
}

}  // namespace trelvane
