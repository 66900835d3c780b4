#pragma once
// How a drive is erased. A method says which byte ranges of the drive it erases, erases them, checks
// the drive afterwards and names itself in the erasure report. The front ends pick one for the
// request of a run; the format command only asks the method. The zero fill of the whole drive and the
// quick wipe are the two methods today; both write zeros, one over the whole drive, one over the
// partition tables at its two ends.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/views.h"
#include "format/erase_outcome.h"
#include "format/wipe_extents.h"
#include "os/system.h"

namespace trelvane {

struct EraseJob;
struct FirmwareEraseReport;

// How the erasure report names a method.
struct EraseMethodNames {
  const char* key;    // the JSON report's "method"
  const char* scope;  // the JSON report's "scope"
  const char* text;   // the text report's way of erasing
  // The text report's result of a run that erased everything it was to erase.
  const char* erased;
  // That result goes on with the bytes erased out of the drive's capacity: the method leaves the rest.
  bool erasedShowsShare;
};

class EraseMethod {
 public:
  virtual ~EraseMethod() = default;
  // The byte ranges of a drive of `deviceBytes` that the method erases, in increasing order, none
  // empty and none touching another; nothing for an empty drive.
  virtual std::vector<WipeExtent> Extents(std::int64_t deviceBytes) const = 0;
  // Erases the job's drive, with progress in `view` and the job's Stop watched.
  virtual EraseRunOutcome Run(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view) const = 0;
  // After a completed `run`: reads the drive back and checks that the extents hold what the method
  // leaves there.
  virtual VerificationOutcome Verify(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view,
                                     const EraseRunOutcome& run) const = 0;
  virtual EraseMethodNames Names() const = 0;
  // Lines the confirmation adds after the drive's title for this method (its name, category, what
  // cannot be undone); none for the zero fill and the quick wipe, whose confirmation says it all.
  virtual std::u16string ConfirmationLines() const { return {}; }
  // Stop can end the run. A firmware erase cannot be called back once the drive has it.
  virtual bool Stoppable() const { return true; }
  // What a firmware erase leaves for the report; nothing for a method that writes through the
  // interface.
  virtual const FirmwareEraseReport* Firmware() const { return nullptr; }
};

// Zeros over the whole drive.
const EraseMethod& WholeDiskZeroFill();
// Zeros over the first QuickWipeLimit and the last QuickWipeTailBytes bytes: the partition tables
// and boot records go, the data between them stays.
const EraseMethod& QuickWipe();

// What the user asked of one format run, as the front end read it from its widgets or arguments
// before the confirmation.
struct EraseRequest {
  const EraseMethod* method = &WholeDiskZeroFill();
  bool verify = false;  // read the drive back after a completed run
  // Where the erasure report of a run that touched the drive goes; no report without it.
  std::optional<std::filesystem::path> reportFolder;
};

}  // namespace trelvane
