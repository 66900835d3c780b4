#pragma once
// What one erase run and its verification found, whatever the method: how the run ended, what it
// could not erase, and what the read-back found wrong.

#include <cstdint>
#include <vector>

#include "format/wrong_ranges.h"

namespace trelvane {

// Ranges of a run that the device refused: [offset, offset + length) with the error code, contiguous
// blocks of one code joined.
struct FailedWrite {
  std::int64_t offset = 0;
  std::int64_t length = 0;
  std::uint32_t code = 0;
};

struct EraseRunOutcome {
  enum class Ending {
    Completed,  // the run walked to the end of its extents
    Stopped,    // the user pressed Stop
    Aborted,    // the device was gone, or no longer the disk the user confirmed
    Refused,    // the disk was in use elsewhere and nothing was written
  };
  Ending ending = Ending::Completed;
  // Bytes of the run's extents that were not erased: skipped blocks, and everything after the point
  // where a run was stopped or aborted.
  std::int64_t bytesNotWritten = 0;
  // False when the closing flush failed: the device did not confirm that the blocks reached the medium.
  bool flushed = true;
  std::int64_t bytesWritten = 0;  // bytes the device accepted
  double megabytesPerSecond = 0;  // the average speed the progress display last showed
  std::vector<FailedWrite> failedWrites;

  // Every byte erased and confirmed: the only outcome that counts as a success.
  bool WholeAndFlushed() const { return ending == Ending::Completed && bytesNotWritten == 0 && flushed; }
};

struct VerificationOutcome {
  bool stopped = false;  // the user pressed Stop
  bool aborted = false;  // the device was gone
  // Bytes read back and inspected, or found unreadable; never more than were walked.
  std::int64_t bytesChecked = 0;
  // Bytes of the ranges, each once; never more than bytesChecked.
  std::int64_t bytesWrong = 0;
  std::vector<WrongRange> ranges;

  // Every byte read back and found as the method left it.
  bool Clean() const { return !stopped && !aborted && bytesWrong == 0; }
};

}  // namespace trelvane
