#pragma once
// The drive's own erase commands as an erase method of the format command: the whole drive is the
// extent, the run is the firmware sequence to the drive's last word, the verification is the proof
// by reading back (a sample, or the whole drive when asked), and the report gets every command sent.
// One object per run: it keeps the drive's facts, read just before the confirmation, and what the
// run found, for the erasure report.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/drive_table.h"
#include "format/erase_method.h"
#include "format/firmware_erase_choice.h"
#include "format/firmware_erase_job.h"
#include "format/firmware_erase_report.h"

namespace trelvane {

// What the drive says about erasing itself: IDENTIFY DEVICE on an ATA drive, Identify Controller and
// the active namespace list on an NVMe drive; nothing when it answers neither.
DriveEraseFacts ReadDriveEraseFacts(System& system, Handle drive, const TIdentifyDeviceData& identity);

// The drive's own estimate of how long `method` takes, where it gives one before the erase: the
// security erase times of IDENTIFY words 89 and 90, the sanitize times of the Sanitize Status log.
std::optional<std::int64_t> EstimateBeforeErase(System& system, Handle drive, EraseMethodId method,
                                                const DriveEraseFacts& facts);

// The method's name in the user's words: "NVMe Format NVM, ...", or the zero fill's.
std::u16string MethodTitle(EraseMethodId method, const DriveEraseFacts& facts);

class FirmwareEraseMethod final : public EraseMethod {
 public:
  // `estimateMs`: the drive's estimate read before the confirmation (EstimateBeforeErase).
  FirmwareEraseMethod(EraseMethodId method, DriveEraseFacts facts, bool wholeDiskProof,
                      std::optional<std::int64_t> estimateMs = std::nullopt);

  std::vector<WipeExtent> Extents(std::int64_t deviceBytes) const override;
  EraseRunOutcome Run(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view) const override;
  VerificationOutcome Verify(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view,
                             const EraseRunOutcome& run) const override;
  EraseMethodNames Names() const override;
  std::u16string ConfirmationLines() const override;
  bool Stoppable() const override { return false; }
  const FirmwareEraseReport* Firmware() const override { return &report_; }

  EraseMethodId Id() const { return method_; }

 private:
  EraseMethodId method_;
  DriveEraseFacts facts_;
  bool wholeDiskProof_;
  std::optional<std::int64_t> estimateMs_;
  std::string key_, text_;
  // Filled by Run: the method's const interface is the format command's, the record is the report's.
  mutable FirmwareEraseReport report_;
};

// The method a front end asked for other than the zero fill and the quick wipe, resolved on the
// opened drive with what it says of itself now, just before the confirmation: the automatic choice
// is made, and a method the drive cannot run is refused before anything is sent.
struct ResolvedErase {
  EraseMethodId method = EraseMethodId::Zero;  // what runs: Zero, or a firmware method
  std::u16string choiceLine;   // "Выбран способ стирания: ..." when the automatic choice was made
  std::u16string refusalLine;  // not empty: the drive refuses the method, nothing may run
  std::unique_ptr<FirmwareEraseMethod> firmware;  // set for a firmware method that may run
};
ResolvedErase ResolveErase(System& system, Handle drive, const TIdentifyDeviceData& identity, EraseMethodId asked,
                           bool wholeDiskProof);

}  // namespace trelvane
