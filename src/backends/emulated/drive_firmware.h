#pragma once
// The erase commands a drive carries out in its own firmware, as state machines: ATA SANITIZE
// (B4h) with its status, the ATA Security feature set (F1h-F6h), NVMe Sanitize with its status log
// (81h) and NVMe Format NVM with a secure erase. The machine file gives the drive's capabilities and
// how an erase ends (`ata_erase`, the `nvme` erase fields and `erase`, see docs/emulated-firmware-erase.md);
// the state changes with every command and status read, and the erase's effect on the drive's image
// is handed to the machine through a callback.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "backends/emulated/machine.h"

namespace trelvane::emulated {

// What an erase leaves on the image: one byte everywhere, or pseudo-random bytes (a new key).
struct MediaFill {
  bool random = false;
  std::uint8_t byte = 0;
  std::uint32_t seed = 0;
};

// The ATA registers of a command, in or out (48-bit values; a 28-bit command uses the low bytes).
struct AtaTaskFile {
  std::uint16_t features = 0;  // out: ERROR in the low byte
  std::uint16_t count = 0;
  std::uint64_t lba = 0;
  std::uint8_t device = 0;
  std::uint8_t command = 0;    // out: STATUS
};

class DriveFirmware {
 public:
  DriveFirmware(const DriveConfig& drive, std::function<void(const MediaFill&)> fill);

  // One ATA command with its data phase (the 512-byte block of the security commands); the
  // registers the drive returns. STATUS bit 0 (ERR) set means the drive aborted it.
  AtaTaskFile Ata(const AtaTaskFile& in, std::span<const std::uint8_t> data);
  // IDENTIFY DEVICE with the words the erase state decides (59, 69, 82, 85, 89, 90, 128, 217) and the
  // checksum made good again.
  void PatchIdentify(Block& identify) const;

  // NVMe: start a sanitize (SANACT 2 block, 4 crypto; `unrestrictedExit` AUSE). The completion's
  // status field (0 success).
  std::uint16_t NvmeSanitize(std::uint8_t action, bool unrestrictedExit);
  // Format NVM with Secure Erase Settings `ses` (1 user data, 2 cryptographic); blocks until done.
  std::uint16_t NvmeFormat(std::uint8_t ses);
  // The Sanitize Status log (512 bytes); a read while a sanitize runs counts as one status read.
  void SanitizeLog(std::span<std::uint8_t> log);

  // Reads and writes of the image fail while the drive is in the sanitize failed state.
  bool MediaRefused() const { return sanitize_ == Sanitize::Failed; }

 private:
  enum class Sanitize { Never, Running, Completed, Failed };

  AtaTaskFile SanitizeCommand(const AtaTaskFile& in);
  AtaTaskFile SecurityCommand(const AtaTaskFile& in, std::span<const std::uint8_t> data, bool prepared);
  // SECURITY ERASE UNIT and Format NVM hold the caller for the machine file's blocking time.
  void HoldCaller() const;
  // Starts the sanitize `kind` ('c' crypto, 'b' block, 'o' overwrite with `pattern`).
  void StartSanitize(char kind, std::uint32_t pattern);
  // One status read while it runs: counts down, and ends it as the machine file says when due.
  void AdvanceSanitize();
  void EndSanitize();
  std::uint16_t ProgressShare() const;
  bool PasswordMatches(std::span<const std::uint8_t> data);

  const DriveConfig& drive_;
  std::function<void(const MediaFill&)> fill_;
  // ATA Security.
  bool enabled_ = false, locked_ = false, frozen_ = false, countExpired_ = false, preparePending_ = false;
  std::string password_;
  int wrongPasswords_ = 0;
  // Sanitize, either bus.
  Sanitize sanitize_ = Sanitize::Never;
  char running_ = 0;
  std::uint32_t pattern_ = 0;
  std::uint32_t readsDone_ = 0;
  std::uint32_t lastCdw10_ = 0;
  bool failureModeExit_ = false;
  std::uint32_t erases_ = 0;  // seeds a new key for every crypto erase
};

}  // namespace trelvane::emulated
