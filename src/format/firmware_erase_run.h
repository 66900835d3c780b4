#pragma once
// Running an erase inside the drive's own firmware: the command sequences of NVMe Sanitize, NVMe
// Format NVM with a secure erase, ATA SANITIZE and ATA SECURITY ERASE UNIT, each over the drive's
// pass-through, with the status polled at intervals, progress as the drive reports it, and every
// command sent kept with its completion for the erasure report.
//
// A firmware erase is complete only when the drive says so (the sanitize status, the completion of
// the erase unit or the format), never because it accepted the command. Once the erasing command
// is sent the drive works on its own and cannot be called back: these runs take no Stop.
// SECURITY ERASE UNIT and Format NVM block for as long as the drive works, so these runs go on a
// worker thread (FirmwareEraseMethod::Run) that reports back to the window's thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ata/ata_erase_capabilities.h"
#include "format/firmware_erase_choice.h"
#include "os/ata_device.h"
#include "os/nvme_device.h"
#include "os/system.h"

namespace trelvane {

// The clock and the wait of a run, apart so tests can drive the polls without sleeping.
class EraseWaiter {
 public:
  virtual ~EraseWaiter() = default;
  // Milliseconds on a clock of the run's own; only differences mean anything.
  virtual std::int64_t NowMs() = 0;
  // Blocks the calling thread for `milliseconds`: the pause between two status reads.
  virtual void Wait(std::uint32_t milliseconds) = 0;
};

// The platform's clock and System::Sleep.
class SystemEraseWaiter final : public EraseWaiter {
 public:
  explicit SystemEraseWaiter(System& system) : system_(system) {}
  std::int64_t NowMs() override;
  void Wait(std::uint32_t milliseconds) override;

 private:
  System& system_;
};

// Between two status reads: long enough that polling costs the drive nothing, short enough that the
// progress bar moves.
inline constexpr std::uint32_t DefaultPollMs = 2'000;

// How far the drive has come: the share it reports done (sanitize progress), or nothing when it
// reports none; the time since the erasing command went out, and the drive's estimate when it
// gave one. While SECURITY ERASE UNIT or Format NVM blocks, nothing is reported: the caller moves
// the elapsed time on by its own clock until the next report.
struct FirmwareEraseProgress {
  std::optional<double> shareDone;
  std::int64_t elapsedMs = 0;
  std::optional<std::int64_t> estimateMs;
  bool readingBack = false;  // the share is the read-back's, after the drive has finished
};
using FirmwareProgressCallback = std::function<void(const FirmwareEraseProgress&)>;

// One command sent, with how it completed. Repeated status reads of one poll are one record whose
// `count` says how many were read and whose completion is the last one's.
struct FirmwareCommandRecord {
  std::u16string name;           // as the standards spell it: "SANITIZE STATUS EXT", "Get Log Page 81h"
  std::uint8_t opcode = 0;       // ATA COMMAND or NVMe opcode
  std::uint16_t feature = 0;     // ATA FEATURE, NVMe command dword 10 low half
  bool succeeded = false;
  // NVMe: the completion's status field; ATA: STATUS in the high byte, ERROR in the low byte.
  std::uint32_t status = 0;
  std::u16string text;           // the failure decoded; empty when the command succeeded
  std::int64_t elapsedMs = 0;    // from sending the first to the completion of the last
  std::uint32_t count = 1;
};

struct FirmwareEraseOutcome {
  enum class Ending {
    Completed,  // the drive reported the erase complete
    Failed,     // a command was rejected or failed, or the drive reported the erase failed
    Refused,    // nothing was sent that erases: the drive cannot take the method now
  };
  Ending ending = Ending::Failed;
  std::u16string text;  // why it failed or was refused, in Russian; empty when completed
  // The erasing command went out: from then on the drive erases on its own and Stop has no effect.
  bool eraseStarted = false;
  // Notes for the log and the report that do not decide the ending (a drive found in the sanitize
  // failed state before the run, the password taken off again).
  std::vector<std::u16string> notes;
  std::vector<FirmwareCommandRecord> commands;
  std::optional<std::int64_t> estimateMs;  // what the drive said the erase takes
  std::int64_t elapsedMs = 0;              // from the erasing command to the drive's last word

  bool Completed() const { return ending == Ending::Completed; }
};

// What the Stop button says while a firmware erase runs.
std::u16string FirmwareEraseStopText();

struct FirmwareEraseContext {
  EraseWaiter& waiter;
  FirmwareProgressCallback progress;  // may be empty
  std::uint32_t pollMs = DefaultPollMs;
};

// NVMe Sanitize (crypto erase, block erase, or overwrite with a zero pattern), AUSE set: reads the
// Sanitize Status log before, sends the command, reads the log again every poll until it says
// completed or failed.
FirmwareEraseOutcome RunNvmeSanitize(NvmeDevice& device, EraseMethodId method, const FirmwareEraseContext& context);

// NVMe Format NVM of the disk's namespace with a user data or cryptographic erase, to the LBA
// format the namespace uses now (read from Identify Namespace first), so the block size stays.
FirmwareEraseOutcome RunNvmeFormat(NvmeDevice& device, EraseMethodId method, const FirmwareEraseContext& context);

// ATA SANITIZE (CRYPTO SCRAMBLE, BLOCK ERASE, or OVERWRITE with a zero pattern): sends it, then
// SANITIZE STATUS EXT every poll until completed without error or an error.
FirmwareEraseOutcome RunAtaSanitize(AtaDevice& device, std::uint8_t selector, EraseMethodId method,
                                    const FirmwareEraseContext& context);

// ATA SECURITY ERASE UNIT, normal or enhanced, on a drive described by `caps` (its IDENTIFY data
// read just before): SET PASSWORD with the program's own user password, ERASE PREPARE, ERASE UNIT.
// Whatever fails after the password was set, DISABLE PASSWORD follows, so the drive is not left
// with a password nobody knows.
FirmwareEraseOutcome RunAtaSecurityErase(AtaDevice& device, std::uint8_t selector, EraseMethodId method,
                                         const AtaEraseCapabilities& caps, const FirmwareEraseContext& context);

// The user password the security erase sets for the time of the erase; named to the user when it
// could not be taken off again.
inline constexpr std::string_view SecurityErasePassword = "trelvane-erase";

}  // namespace trelvane
