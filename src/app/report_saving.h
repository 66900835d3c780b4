#pragma once
// What a windowed program says about the report of every format run that touched the drive: where
// it was saved in the user's reports folder, or why it could not be saved, in the format log. The
// run's outcome does not depend on it.

#include "common/diagnostic_log.h"
#include "report/report_files.h"

namespace trelvane {

void SayReportSaved(DiagnosticLog& log, const SavedReport& saved);

}  // namespace trelvane
