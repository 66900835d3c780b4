#pragma once
// The format run: zeros written over the selected drive through DriveHandle, block by block, with
// an adaptive block size, progress in the format page's controls, and errors and a summary in the
// format log. Runs on the user-interface thread and lets the window handle its messages once per
// block, where the Stop button can set StopRequested.

#include <cstdint>
#include <span>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "os/system.h"

namespace trelvane {

// The zero buffer is the largest block of a run, and the largest read of its verification.
inline constexpr std::int64_t BufferSize = 33'554'432;

// Blocks of a run that the device refused: [offset, offset + length) with the error code, contiguous
// blocks of one code joined.
struct FailedWrite {
  std::int64_t offset = 0;
  std::int64_t length = 0;
  std::uint32_t code = 0;
};

struct ZeroFillOutcome {
  enum class Ending {
    Completed,  // the run walked to the end of its extents
    Stopped,    // the user pressed Stop
    Aborted,    // the device was gone, or no longer the disk the user confirmed
    Refused,    // the disk was in use elsewhere and nothing was written
  };
  Ending ending = Ending::Completed;
  // Bytes of the run's extents that were not written: skipped blocks, and everything after the
  // point where a run was stopped or aborted.
  std::int64_t bytesNotWritten = 0;
  // False when the closing flush failed: the device did not confirm that the blocks reached the medium.
  bool flushed = true;
  std::int64_t bytesWritten = 0;  // bytes the device accepted
  double megabytesPerSecond = 0;  // the average speed the progress display last showed
  std::vector<FailedWrite> failedWrites;

  // Every byte written and confirmed: the only outcome that counts as a success.
  bool WholeAndFlushed() const { return ending == Ending::Completed && bytesNotWritten == 0 && flushed; }
};

// Moves `handle` to `offset` bytes from the start of the device; the new position, or -1 when the
// platform refused.
std::int64_t SeekDevice(System& system, Handle handle, std::int64_t offset);

// One synchronous write of `data` at the handle's position. It counts as done only when the platform
// reports success and exactly the requested byte count; otherwise `error` is the last error code.
bool WriteBlock(System& system, Handle handle, std::span<const std::uint8_t> data, std::uint32_t& error);

// Zero-fills the drive of state.SelectedEntry() through state.DriveHandle: the whole drive, or with
// `quick` its first 10,240,000 bytes and its last 1,048,576 bytes. Clears StopRequested when it
// ends stopped. With `verifyAfter` (a verification pass is to read the drive back) the speed line
// says it is the write speed, since the pass logs a read speed of its own.
ZeroFillOutcome RunZeroFill(System& system, ProgramState& state, DiagnosticLog& log, ProgressView& view,
                            bool quick, bool verifyAfter = false);

}  // namespace trelvane
