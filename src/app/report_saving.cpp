#include "app/report_saving.h"

namespace trelvane {

void SayReportSaved(DiagnosticLog& log, const SavedReport& saved) {
  if (saved.error) log.AddFormatLogLine(u"Не удалось записать отчет о стирании: " + *saved.error);
  else log.AddFormatLogLine(u"Отчет о стирании: " + saved.json.u16string());
}

}  // namespace trelvane
