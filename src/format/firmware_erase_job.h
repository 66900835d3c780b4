#pragma once
// One firmware erase of a job's drive, from the first command to the read-back: the sequence is
// picked by the drive's bus and the method, the sample is fingerprinted first when the method's
// proof compares with the old data, every command goes into the format log with its completion,
// and a completed erase is read back when the job asks for a verification. Blocks for as long as
// the drive erases: FirmwareEraseMethod::Run calls it on a worker thread.

#include <optional>

#include "common/diagnostic_log.h"
#include "format/erase_job.h"
#include "format/erase_sample_check.h"
#include "format/firmware_erase_run.h"

namespace trelvane {

struct FirmwareEraseResult {
  FirmwareEraseOutcome run;
  std::optional<EraseProof> proof;  // when the run completed and the job asked for a verification
  bool wholeDiskProof = false;
};

// `facts` are what the drive said about itself just before (its IDENTIFY data decoded);
// `wholeDiskProof` reads the whole drive back instead of the sample. The read-back's share goes to
// `context.progress` as the share done, after the run's own.
FirmwareEraseResult RunFirmwareErase(System& system, const EraseJob& job, EraseMethodId method,
                                     const DriveEraseFacts& facts, bool wholeDiskProof, DiagnosticLog& log,
                                     const FirmwareEraseContext& context);

}  // namespace trelvane
