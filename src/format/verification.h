#pragma once
// The verification pass after a completed zero fill: every byte the run was to write is read back
// through DriveHandle, in blocks as large as the run's largest, and must be zero. Ranges that are not
// zero, cannot be read, lie past a counterfeit drive's real size, or did not keep a position stamp
// (see position_stamp.h) get one format-log line each; the pass ends with its average read speed, the
// bytes checked and the bytes found wrong. Same progress display and same Stop as the zero fill; a
// device that the fill would take for gone (or changed in size) ends the pass at once, aborted.

#include <cstdint>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "format/wrong_ranges.h"
#include "format/zero_fill.h"
#include "os/system.h"

namespace trelvane {

struct VerificationOutcome {
  bool stopped = false;  // the user pressed Stop
  bool aborted = false;  // the device was gone
  // Bytes read back and inspected, or found unreadable; never more than were walked.
  std::int64_t bytesChecked = 0;
  // Bytes of the ranges, each once; never more than bytesChecked.
  std::int64_t bytesWrong = 0;
  std::vector<WrongRange> ranges;

  // Every byte read back and found zero.
  bool Clean() const { return !stopped && !aborted && bytesWrong == 0; }
};

// Verifies the extents of a run over state.SelectedEntry() (`quick` as the run had it); `failed` are
// the run's refused blocks, where no stamp is placed. Clears StopRequested when it ends stopped.
VerificationOutcome RunVerification(System& system, ProgramState& state, DiagnosticLog& log, ProgressView& view,
                                    bool quick, const std::vector<FailedWrite>& failed = {});

}  // namespace trelvane
