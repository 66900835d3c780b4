#pragma once
// The verification pass after a completed zero fill: every byte the run was to write is read back
// through the job's handle, in blocks as large as the run's largest, and must be zero. Ranges that are not
// zero, cannot be read, lie past a counterfeit drive's real size, or did not keep a position stamp
// (see position_stamp.h) get one format-log line each; the pass ends with its average read speed, the
// bytes checked and the bytes found wrong. Same progress display and same Stop as the zero fill; a
// device that the fill would take for gone (or changed in size) ends the pass at once, aborted.

#include <vector>

#include "common/diagnostic_log.h"
#include "common/views.h"
#include "format/erase_job.h"
#include "format/erase_outcome.h"
#include "os/system.h"

namespace trelvane {

// Verifies that the extents the job's method covers read back as zeros; `failed` are the run's refused
// blocks, where no stamp is placed. Clears the job's Stop when it ends stopped.
VerificationOutcome RunVerification(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view,
                                    const std::vector<FailedWrite>& failed = {});

}  // namespace trelvane
