#pragma once
// What a firmware erase leaves for the erasure report: the method and how the standards and
// NIST SP 800-88 name it, every command sent with its completion, the drive's estimate against the
// time taken, and the proof by reading back.

#include <optional>
#include <string>

#include "format/erase_sample_check.h"
#include "format/firmware_erase_choice.h"
#include "format/firmware_erase_run.h"

namespace trelvane {

struct FirmwareEraseReport {
  EraseMethodId method = EraseMethodId::Zero;
  std::u16string technique;  // "NVMe Format NVM, ..." (TechniqueText)
  NistCategory category = NistCategory::None;
  bool ran = false;  // the run took place; false until then
  FirmwareEraseOutcome run;
  bool wholeDiskProof = false;
  std::optional<EraseProof> proof;  // when the run completed and was read back
  std::int64_t sectorSize = 512;

  // The drive reported completion and the read-back found it erased.
  bool Proven() const { return ran && run.Completed() && proof && proof->Passed(); }
};

}  // namespace trelvane
