#pragma once
// The zero fill: zeros written over the extents of a job's method through the job's handle, block by
// block, with an adaptive block size, progress in the format page's controls, and errors and a summary
// in the format log. Runs on the user-interface thread and lets the window handle its messages once
// per block, where the Stop button can set the job's stop flag.

#include <cstdint>
#include <span>

#include "common/diagnostic_log.h"
#include "common/views.h"
#include "format/erase_job.h"
#include "format/erase_outcome.h"
#include "os/system.h"

namespace trelvane {

// The zero buffer is the largest block of a run, and the largest read of its verification.
inline constexpr std::int64_t BufferSize = 33'554'432;

// Moves `handle` to `offset` bytes from the start of the device; the new position, or -1 when the
// platform refused.
std::int64_t SeekDevice(System& system, Handle handle, std::int64_t offset);

// One synchronous write of `data` at the handle's position. It counts as done only when the platform
// reports success and exactly the requested byte count; otherwise `error` is the last error code.
bool WriteBlock(System& system, Handle handle, std::span<const std::uint8_t> data, std::uint32_t& error);

// Zero-fills the extents that the job's method covers on the job's drive. Clears the job's Stop when
// it ends stopped. When the job's request asks for a verification (which logs a read speed of its
// own) the speed line says it is the write speed.
EraseRunOutcome RunZeroFill(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view);

}  // namespace trelvane
