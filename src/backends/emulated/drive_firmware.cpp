#include "backends/emulated/drive_firmware.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "os/bytes.h"

namespace trelvane::emulated {

namespace {

// Register outputs: a completed command, and an abort with the sanitize reason in LBA 7:0.
constexpr std::uint8_t StatusDone = 0x50;     // DRDY, DSC
constexpr std::uint8_t StatusAborted = 0x51;  // DRDY, DSC, ERR
constexpr std::uint8_t ErrorAbort = 0x04;     // ABRT

// SANITIZE DEVICE (B4h): FEATURE and the signature each sub-command carries in LBA.
constexpr std::uint8_t SanitizeOpcode = 0xB4;
constexpr std::uint16_t StatusFeature = 0x0000, CryptoFeature = 0x0011, BlockFeature = 0x0012, OverwriteFeature = 0x0014;
constexpr std::uint64_t CryptoSignature = 0x43727970, BlockSignature = 0x426B4572, OverwriteSignature = 0x4F57;
constexpr std::uint8_t ReasonUnsuccessful = 1, ReasonUnsupported = 2, ReasonFrozen = 3;
// SANITIZE STATUS EXT outputs in COUNT.
constexpr std::uint16_t CompletedBit = 1u << 15, InProgressBit = 1u << 14, FrozenBit = 1u << 13, AntifreezeBit = 1u << 12;

constexpr std::uint8_t SetPassword = 0xF1, ErasePrepare = 0xF3, EraseUnit = 0xF4, FreezeLock = 0xF5,
                       DisablePassword = 0xF6;
constexpr int PasswordTries = 5;

// NVMe completion status fields (SCT 10:8, SC 7:0).
constexpr std::uint16_t NvmeInvalidOpcode = 0x0001, NvmeInvalidField = 0x0002, NvmeAbortRequested = 0x0007,
                        NvmeSanitizeFailed = 0x001C, NvmeSanitizeInProgress = 0x001D;

AtaTaskFile Done(std::uint16_t count = 0, std::uint64_t lba = 0) {
  AtaTaskFile out;
  out.count = count;
  out.lba = lba;
  out.command = StatusDone;
  return out;
}

AtaTaskFile Aborted(std::uint8_t reason = 0) {
  AtaTaskFile out;
  out.features = ErrorAbort;
  out.lba = reason;
  out.command = StatusAborted;
  return out;
}

std::uint16_t Word(const Block& block, std::size_t word) { return ReadU16LE(block, word * 2); }
void SetWord(Block& block, std::size_t word, std::uint16_t value) { WriteU16LE(block, word * 2, value); }
void SetBit(Block& block, std::size_t word, unsigned bit, bool on) {
  const auto mask = static_cast<std::uint16_t>(1u << bit);
  SetWord(block, word, static_cast<std::uint16_t>(on ? Word(block, word) | mask : Word(block, word) & ~mask));
}

// Identify Controller fields of the NVMe erase capabilities.
std::uint32_t Sanicap(const NvmeConfig& nvme) { return ReadU32LE(nvme.identifyController, 328); }
std::uint16_t Oacs(const NvmeConfig& nvme) { return ReadU16LE(nvme.identifyController, 256); }
std::uint8_t Fna(const NvmeConfig& nvme) { return nvme.identifyController[524]; }

}  // namespace

DriveFirmware::DriveFirmware(const DriveConfig& drive, std::function<void(const MediaFill&)> fill)
    : drive_(drive), fill_(std::move(fill)) {
  if (drive.ataErase) {
    const AtaEraseConfig& ata = *drive.ataErase;
    enabled_ = ata.securityEnabled || ata.securityLocked;
    locked_ = ata.securityLocked;
    frozen_ = ata.securityFrozen;
    countExpired_ = ata.countExpired;
    password_ = ata.password;
  }
  if (drive.erase.sanitizeFailedAtStart) sanitize_ = Sanitize::Failed;
}

AtaTaskFile DriveFirmware::Ata(const AtaTaskFile& in, std::span<const std::uint8_t> data) {
  // ERASE UNIT counts only right after ERASE PREPARE; any other command in between cancels it.
  const bool prepared = std::exchange(preparePending_, false);
  if (!drive_.ataErase) return Aborted();
  if (in.command == SanitizeOpcode) return SanitizeCommand(in);
  if (in.command >= SetPassword && in.command <= DisablePassword) return SecurityCommand(in, data, prepared);
  return Aborted();
}

AtaTaskFile DriveFirmware::SanitizeCommand(const AtaTaskFile& in) {
  const AtaEraseConfig& ata = *drive_.ataErase;
  if (in.features == StatusFeature) {
    if (sanitize_ == Sanitize::Running) AdvanceSanitize();
    std::uint16_t count = ata.antifreeze ? AntifreezeBit : 0;
    if (ata.sanitizeFrozen) count |= FrozenBit;
    if (sanitize_ == Sanitize::Failed) {
      // CLEAR SANITIZE OPERATION FAILED leaves the failed state when the failing command allowed it.
      if ((in.count & 1u) != 0 && failureModeExit_) {
        sanitize_ = Sanitize::Never;
        return Done(count);
      }
      return Aborted(ReasonUnsuccessful);
    }
    if (sanitize_ == Sanitize::Running) return Done(count | InProgressBit, ProgressShare());
    if (sanitize_ == Sanitize::Completed) count |= CompletedBit;
    return Done(count);
  }
  struct Row {
    std::uint16_t feature;
    std::uint64_t signature;
    bool AtaEraseConfig::*supported;
    char kind;
  };
  static constexpr Row Rows[] = {
      {CryptoFeature, CryptoSignature, &AtaEraseConfig::sanitizeCrypto, 'c'},
      {BlockFeature, BlockSignature, &AtaEraseConfig::sanitizeBlock, 'b'},
      {OverwriteFeature, OverwriteSignature, &AtaEraseConfig::sanitizeOverwrite, 'o'},
  };
  for (const Row& row : Rows) {
    if (row.feature != in.features) continue;
    const std::uint64_t signature = row.kind == 'o' ? in.lba >> 32 : in.lba;
    if (!(ata.*row.supported) || signature != row.signature) return Aborted(ReasonUnsupported);
    if (ata.sanitizeFrozen) return Aborted(ReasonFrozen);
    if (sanitize_ == Sanitize::Running || drive_.erase.ending == EraseBehaviour::Ending::Aborts) return Aborted();
    failureModeExit_ = (in.count & (1u << 4)) != 0;
    StartSanitize(row.kind, static_cast<std::uint32_t>(in.lba));
    return Done();
  }
  return Aborted(ReasonUnsupported);
}

bool DriveFirmware::PasswordMatches(std::span<const std::uint8_t> data) {
  if (data.size() < 34) return false;
  std::string given(data.begin() + 2, data.begin() + 34);
  std::string stored = password_;
  stored.resize(32, '\0');
  // Word 0 bit 0 names the master password, which this drive does not keep.
  if ((data[0] & 1u) == 0 && given == stored) {
    wrongPasswords_ = 0;
    return true;
  }
  if (++wrongPasswords_ >= PasswordTries) countExpired_ = true;
  return false;
}

AtaTaskFile DriveFirmware::SecurityCommand(const AtaTaskFile& in, std::span<const std::uint8_t> data, bool prepared) {
  const AtaEraseConfig& ata = *drive_.ataErase;
  if (!ata.securitySupported) return Aborted();
  switch (in.command) {
    case FreezeLock:
      frozen_ = true;
      return Done();
    case SetPassword: {
      if (frozen_ || locked_ || data.size() < 34) return Aborted();
      if ((data[0] & 1u) != 0) return Done();  // a master password: kept nowhere, changes nothing here
      password_.assign(data.begin() + 2, data.begin() + 34);
      password_.erase(password_.find_last_not_of('\0') + 1);
      enabled_ = true;
      return Done();
    }
    case ErasePrepare:
      if (frozen_) return Aborted();
      preparePending_ = true;
      return Done();
    case EraseUnit: {
      if (!prepared || countExpired_ || !enabled_) return Aborted();
      const bool enhanced = data.size() >= 1 && (data[0] & 2u) != 0;
      if (enhanced && !ata.enhancedErase) return Aborted();
      if (!PasswordMatches(data)) return Aborted();
      const EraseBehaviour::Ending ending = drive_.erase.ending;
      if (ending == EraseBehaviour::Ending::Aborts || ending == EraseBehaviour::Ending::Fails) return Aborted();
      HoldCaller();
      if (ending != EraseBehaviour::Ending::Lies) fill_(MediaFill{false, enhanced ? drive_.erase.vendorByte : std::uint8_t{0}, 0});
      enabled_ = locked_ = false;
      password_.clear();
      return Done();
    }
    case DisablePassword:
      if (frozen_ || countExpired_ || !enabled_) return Aborted();
      if (!PasswordMatches(data)) return Aborted();
      enabled_ = locked_ = false;
      password_.clear();
      return Done();
    default:
      return Aborted();
  }
}

// These commands complete only when the drive is done: the caller's thread waits in real time, whatever
// the machine's clock, so that a test can see the window stay live meanwhile.
void DriveFirmware::HoldCaller() const {
  if (drive_.erase.blockingMs != 0) std::this_thread::sleep_for(std::chrono::milliseconds(drive_.erase.blockingMs));
}

void DriveFirmware::StartSanitize(char kind, std::uint32_t pattern) {
  running_ = kind;
  pattern_ = pattern;
  readsDone_ = 0;
  sanitize_ = Sanitize::Running;
  if (drive_.erase.statusReads == 0) EndSanitize();
}

void DriveFirmware::AdvanceSanitize() {
  ++readsDone_;
  const EraseBehaviour& erase = drive_.erase;
  // A power loss takes the drive down half-way; it comes back in the failed state.
  if (erase.ending == EraseBehaviour::Ending::PowerLoss && readsDone_ > erase.statusReads / 2) {
    sanitize_ = Sanitize::Failed;
    return;
  }
  if (readsDone_ > erase.statusReads) EndSanitize();
}

void DriveFirmware::EndSanitize() {
  switch (drive_.erase.ending) {
    case EraseBehaviour::Ending::Fails:
    case EraseBehaviour::Ending::PowerLoss:
      sanitize_ = Sanitize::Failed;
      return;
    case EraseBehaviour::Ending::Lies:
      break;
    default:
      if (running_ == 'c') fill_(MediaFill{true, 0, 0x9E3779B9u * ++erases_ + drive_.number});
      else if (running_ == 'b') fill_(MediaFill{false, drive_.erase.blockByte, 0});
      else fill_(MediaFill{false, static_cast<std::uint8_t>(pattern_), 0});
  }
  sanitize_ = Sanitize::Completed;
}

std::uint16_t DriveFirmware::ProgressShare() const {
  const std::uint64_t share = 65536ull * readsDone_ / (drive_.erase.statusReads + 1ull);
  return static_cast<std::uint16_t>(std::min<std::uint64_t>(share, 0xFFFF));
}

void DriveFirmware::PatchIdentify(Block& identify) const {
  if (!drive_.ataErase) return;
  const AtaEraseConfig& ata = *drive_.ataErase;
  const bool sanitize = ata.sanitizeCrypto || ata.sanitizeBlock || ata.sanitizeOverwrite;
  SetBit(identify, 59, 10, ata.antifreeze);
  SetBit(identify, 59, 12, sanitize);
  SetBit(identify, 59, 13, ata.sanitizeCrypto);
  SetBit(identify, 59, 14, ata.sanitizeOverwrite);
  SetBit(identify, 59, 15, ata.sanitizeBlock);
  SetBit(identify, 69, 4, ata.encryptsAllUserData);
  SetBit(identify, 82, 1, ata.securitySupported);
  SetBit(identify, 85, 1, enabled_);
  SetWord(identify, 89, ata.normalEraseWord);
  SetWord(identify, 90, ata.enhancedEraseWord);
  std::uint16_t word128 = 0;
  if (ata.securitySupported) {
    word128 = 1u << 0;
    if (enabled_) word128 |= 1u << 1;
    if (locked_) word128 |= 1u << 2;
    if (frozen_) word128 |= 1u << 3;
    if (countExpired_) word128 |= 1u << 4;
    if (ata.enhancedErase) word128 |= 1u << 5;
  }
  SetWord(identify, 128, word128);
  SetWord(identify, 217, ata.rotationRate);
  // Word 255: signature A5h and a checksum that makes all 512 bytes sum to zero.
  if (identify[510] == 0xA5) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + identify[i]);
    identify[511] = static_cast<std::uint8_t>(0x100 - sum);
  }
}

std::uint16_t DriveFirmware::NvmeSanitize(std::uint8_t action, bool unrestrictedExit) {
  if (!drive_.nvme) return NvmeInvalidOpcode;
  const std::uint32_t sanicap = Sanicap(*drive_.nvme);
  const char kind = action == 4 ? 'c' : action == 2 ? 'b' : action == 3 ? 'o' : 0;
  const bool supported = (kind == 'c' && (sanicap & 1u)) || (kind == 'b' && (sanicap & 2u)) || (kind == 'o' && (sanicap & 4u));
  if ((sanicap & 7u) == 0) return NvmeInvalidOpcode;
  if (!supported) return NvmeInvalidField;
  if (sanitize_ == Sanitize::Running) return NvmeSanitizeInProgress;
  if (drive_.erase.ending == EraseBehaviour::Ending::Aborts) return NvmeAbortRequested;
  failureModeExit_ = unrestrictedExit;
  lastCdw10_ = action | (unrestrictedExit ? 1u << 3 : 0u);
  StartSanitize(kind, 0);
  return 0;
}

std::uint16_t DriveFirmware::NvmeFormat(std::uint8_t ses) {
  if (!drive_.nvme || (Oacs(*drive_.nvme) & 2u) == 0) return NvmeInvalidOpcode;
  if (ses > 2 || (ses == 2 && (Fna(*drive_.nvme) & 4u) == 0)) return NvmeInvalidField;
  // A drive in the sanitize failed state takes no format until a sanitize completes.
  if (sanitize_ == Sanitize::Failed) return NvmeSanitizeFailed;
  if (sanitize_ == Sanitize::Running) return NvmeSanitizeInProgress;
  const EraseBehaviour::Ending ending = drive_.erase.ending;
  if (ending == EraseBehaviour::Ending::Aborts) return NvmeAbortRequested;
  if (ending == EraseBehaviour::Ending::Fails || ending == EraseBehaviour::Ending::PowerLoss) return 0x0006;  // Internal Error
  HoldCaller();
  if (ending != EraseBehaviour::Ending::Lies) {
    if (ses == 2) fill_(MediaFill{true, 0, 0x9E3779B9u * ++erases_ + drive_.number});
    else fill_(MediaFill{false, 0, 0});
  }
  return 0;
}

// Sanitize Status log: SPROG (0-1), SSTAT (2-3), SCDW10 (4-7), estimates for overwrite, block and
// crypto erase (8, 12, 16), FFFFFFFFh where none is given.
void DriveFirmware::SanitizeLog(std::span<std::uint8_t> log) {
  if (sanitize_ == Sanitize::Running) AdvanceSanitize();
  std::fill(log.begin(), log.end(), std::uint8_t{0});
  std::uint16_t state = 0;
  std::uint16_t progress = 0xFFFF;
  if (sanitize_ == Sanitize::Completed) state = 1;
  if (sanitize_ == Sanitize::Running) {
    state = 2;
    progress = ProgressShare();
  }
  if (sanitize_ == Sanitize::Failed) state = 3;
  WriteU16LE(log, 0, progress);
  WriteU16LE(log, 2, state);
  WriteU32LE(log, 4, lastCdw10_);
  const std::uint32_t estimate = drive_.erase.estimateSeconds.value_or(0xFFFFFFFFu);
  for (const std::size_t offset : {8u, 12u, 16u}) WriteU32LE(log, offset, estimate);
}

}  // namespace trelvane::emulated
