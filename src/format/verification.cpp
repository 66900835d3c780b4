#include "format/verification.h"

#include <algorithm>
#include <random>

#include "common/system_error_text.h"
#include "format/aligned_block.h"
#include "format/position_stamp.h"
#include "format/progress_text.h"
#include "format/run_clock.h"
#include "format/wipe_extents.h"
#include "format/write_errors.h"
#include "format/zero_check.h"
#include "format/zero_fill.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

// What a read delivered: `bytes` of the asked length, or fewer and the error `code` saying why.
struct ReadResult {
  bool whole = false;
  std::int64_t bytes = 0;
  std::uint32_t code = 0;
};

class VerificationRun {
 public:
  VerificationRun(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view)
      : system_(system), job_(job), drive_(job.handle.Get()), log_(log), view_(view), wrong_(system, log) {}

  VerificationOutcome Run(const std::vector<FailedWrite>& failed);

 private:
  std::int64_t Now() { return RunClockMilliseconds(system_.GetLocalTime()); }
  void WriteStamps(bool zeros);
  bool CheckExtent(const WipeExtent& extent);
  void BeginRead(std::int64_t from, std::int64_t length);
  ReadResult EndRead(std::int64_t length);
  void CheckRange(std::int64_t from, std::int64_t length);
  void CheckRest(std::int64_t from, std::int64_t length, const ReadResult& read, const std::uint8_t* block);
  void Abort(std::int64_t at, std::uint32_t code);
  void Inspect(std::int64_t from, std::int64_t length, const std::uint8_t* block);
  void InspectSectors(std::int64_t from, std::int64_t to, const std::uint8_t* bytes);
  bool IsWrittenStamp(std::int64_t offset) const;
  bool WasChecked(std::int64_t offset) const;
  void AddWrappedRange();
  void ShowProgress(std::int64_t position, std::int64_t length);
  void ShowSpeed();
  VerificationOutcome Finish();

  System& system_;
  EraseJob& job_;
  const Handle drive_;
  DiagnosticLog& log_;
  ProgressView& view_;
  WrongRangeList wrong_;
  // Two blocks: the device reads into one while the other is checked.
  AlignedBlock buffers_[2];
  int reading_ = 0;  // the block BeginRead reads into
  AlignedBlock sector_;
  std::vector<WipeExtent> extents_;
  std::vector<WipeExtent> checkedParts_;  // of each extent the part the pass walked, in order
  std::vector<std::int64_t> stamps_;
  std::vector<bool> stamped_;  // parallel to stamps_: the stamp was written
  std::uint64_t nonce_ = 0;
  std::int64_t sectorSize_ = 0;
  std::int64_t deviceBytes_ = 0;
  std::int64_t total_ = 0;
  std::int64_t checked_ = 0;
  std::int64_t position_ = 0;
  std::int64_t abortedAt_ = 0;  // where the device was found gone
  std::int64_t startTime_ = 0;
  std::int64_t wrapDistance_ = 0;  // the shortest distance a stamp was found away from its offset; 0: none
  bool aborted_ = false;
  std::u16string speed_;  // the last speed figure shown, without its label
};

VerificationOutcome VerificationRun::Run(const std::vector<FailedWrite>& failed) {
  const TIdentifyDeviceData& drive = job_.drive.IdentifyData;
  sectorSize_ = std::max<std::int64_t>(drive.SectorSize, 512);
  deviceBytes_ = drive.LBA * drive.SectorSize;
  extents_ = job_.request.method->Extents(deviceBytes_);
  for (const WipeExtent& extent : extents_) total_ += extent.to - extent.from;
  for (AlignedBlock& buffer : buffers_) buffer = AlignedBlock(system_, static_cast<std::size_t>(BufferSize));
  sector_ = AlignedBlock(system_, static_cast<std::size_t>(sectorSize_));
  stamps_ = PlanStamps(extents_, sectorSize_);
  // A stamp inside a block the run could not write would split that block's range in the log.
  std::erase_if(stamps_, [&](std::int64_t offset) {
    return std::any_of(failed.begin(), failed.end(), [&](const FailedWrite& block) {
      return offset + sectorSize_ > block.offset && offset < block.offset + block.length;
    });
  });
  nonce_ = (static_cast<std::uint64_t>(std::random_device{}()) << 32) | std::random_device{}();
  log_.AddFormatLogLine(u"Проверка записи...");
  view_.ProcessMessages();
  startTime_ = Now();
  WriteStamps(false);
  for (const WipeExtent& extent : extents_)
    if (!CheckExtent(extent)) break;
  wrong_.Close();
  AddWrappedRange();
  // The stamps go whatever the pass found, Stop included: the drive must be left holding zeros. A
  // device found gone, or no longer the size the user confirmed, is written no more, as in the fill.
  if (!aborted_) {
    WriteStamps(true);
    system_.FlushFileBuffers(drive_);
  }
  return Finish();
}

// Writes every stamp, or zeros over every stamp. A stamp that cannot be written is left out of the
// check (the sector is then expected to be zero); a stamp that cannot be zeroed again is a wrong range.
// A write that finds the device gone ends the pass there.
void VerificationRun::WriteStamps(bool zeros) {
  const std::span<std::uint8_t> sector(sector_.get(), static_cast<std::size_t>(sectorSize_));
  stamped_.resize(stamps_.size());
  for (std::size_t index = 0; index < stamps_.size() && !aborted_; ++index) {
    const std::int64_t offset = stamps_[index];
    if (zeros && !stamped_[index]) continue;
    if (zeros) std::fill(sector.begin(), sector.end(), std::uint8_t{0});
    else WriteStamp(sector, offset, nonce_);
    std::uint32_t code = 0;
    const bool written = SeekDevice(system_, drive_, offset) == offset && WriteBlock(system_, drive_, sector, code);
    if (!zeros) stamped_[index] = written;
    if (written) continue;
    if (code == 0) code = system_.GetLastError();
    if (!RunEndingLine(code).empty()) {
      Abort(offset, code);
    } else if (zeros) {
      // Written by this pass and left on the drive: wrong, and checked whether or not the read got there.
      if (!WasChecked(offset)) checked_ += sectorSize_;
      wrong_.Add({WrongRange::Kind::NotZero, offset, offset + sectorSize_, 0});
      wrong_.Close();
    }
  }
}

void VerificationRun::BeginRead(std::int64_t from, std::int64_t length) {
  system_.BeginReadFile(drive_, from, {buffers_[reading_].get(), static_cast<std::size_t>(length)});
}

ReadResult VerificationRun::EndRead(std::int64_t length) {
  std::uint32_t read = 0;
  const bool ok = system_.EndReadFile(drive_, read);
  const bool whole = ok && read == static_cast<std::uint64_t>(length);
  return {whole, static_cast<std::int64_t>(read), whole ? 0 : system_.GetLastError()};
}

// False when the pass must end here (stopped or the device gone). Each block is read while the one
// before it is checked; a block that fails is read again in parts, with nothing in flight.
bool VerificationRun::CheckExtent(const WipeExtent& extent) {
  position_ = extent.from;
  bool inFlight = false;
  while (position_ < extent.to && !job_.stop.Requested() && !aborted_) {
    const std::int64_t length = std::min(BufferSize, extent.to - position_);
    if (!inFlight) BeginRead(position_, length);
    ShowProgress(position_, length);
    view_.ProcessMessages();
    const ReadResult read = EndRead(length);
    inFlight = false;
    if (job_.stop.Requested()) break;
    const std::uint8_t* block = buffers_[reading_].get();
    reading_ = 1 - reading_;
    const std::int64_t next = position_ + length;
    if (read.whole && next < extent.to) {
      BeginRead(next, std::min(BufferSize, extent.to - next));
      inFlight = true;
    }
    if (read.whole) Inspect(position_, length, block);
    else CheckRest(position_, length, read, block);
    if (aborted_) {
      position_ = abortedAt_;
      break;
    }
    position_ = next;
    ShowSpeed();
  }
  if (inFlight) EndRead(0);
  checkedParts_.push_back({extent.from, position_});
  return !job_.stop.Requested() && !aborted_;
}

// Reads [from, from + length) and inspects it.
void VerificationRun::CheckRange(std::int64_t from, std::int64_t length) {
  if (aborted_) return;
  std::uint32_t read = 0;
  const std::span<std::uint8_t> bytes(buffers_[reading_].get(), static_cast<std::size_t>(length));
  const bool sought = SeekDevice(system_, drive_, from) == from;
  if (sought && system_.ReadFile(drive_, bytes, read) && read == bytes.size()) {
    Inspect(from, length, bytes.data());
    return;
  }
  CheckRest(from, length, {false, sought ? static_cast<std::int64_t>(read) : 0, system_.GetLastError()}, bytes.data());
}

// A read of [from, from + length) that did not deliver it all into `block`. The whole sectors it did
// deliver are inspected. A device found gone (or no longer the size the user confirmed) ends the
// pass right there: halving its blocks down to single sectors would take hours on a large disk and
// find nothing. Otherwise the rest is split in halves down to single sectors, so an unreadable
// stretch is found to the sector at the cost of a few reads per edge, and only it counts as wrong.
void VerificationRun::CheckRest(std::int64_t from, std::int64_t length, const ReadResult& read,
                                const std::uint8_t* block) {
  const std::int64_t good = std::clamp<std::int64_t>(read.bytes / sectorSize_ * sectorSize_, 0, length);
  if (good > 0) Inspect(from, good, block);
  if (!RunEndingLine(read.code).empty()) return Abort(from + good, read.code);
  from += good;
  length -= good;
  if (length <= sectorSize_) {
    wrong_.Add({WrongRange::Kind::Unreadable, from, from + length, read.code});
    checked_ += length;
    return;
  }
  const std::int64_t half = std::max(length / 2 / sectorSize_, std::int64_t{1}) * sectorSize_;
  CheckRange(from, half);
  CheckRange(from + half, length - half);
}

// Logs the wrong range found so far and the fill's own line for the code (the device was
// unplugged, or its size changed) at the moment it is found.
void VerificationRun::Abort(std::int64_t at, std::uint32_t code) {
  aborted_ = true;
  abortedAt_ = at;
  wrong_.Close();
  log_.AddFormatLogLine(RunEndingLine(code));
}

// The fast path checks whole stretches between stamps, the last first (the part of the block most
// likely still in the caches); only a stretch that is not all zero, and the stamp sectors themselves,
// are then looked at sector by sector, in order, so that ranges join as the drive runs.
void VerificationRun::Inspect(std::int64_t from, std::int64_t length, const std::uint8_t* block) {
  struct Stretch {
    std::int64_t from, to;
    bool look;  // a stamp sector, or a stretch found not all zero
  };
  std::vector<Stretch> stretches;
  const std::int64_t to = from + length;
  std::int64_t at = from;
  for (auto stamp = std::lower_bound(stamps_.begin(), stamps_.end(), from); stamp != stamps_.end() && *stamp < to; ++stamp) {
    if (*stamp > at) stretches.push_back({at, *stamp, false});
    at = std::min(*stamp + sectorSize_, to);
    stretches.push_back({*stamp, at, true});
  }
  if (at < to) stretches.push_back({at, to, false});
  checked_ += length;
  for (auto stretch = stretches.rbegin(); stretch != stretches.rend(); ++stretch)
    if (!stretch->look)
      stretch->look = !IsAllZero({block + (stretch->from - from), static_cast<std::size_t>(stretch->to - stretch->from)});
  for (const Stretch& stretch : stretches)
    if (stretch.look) InspectSectors(stretch.from, stretch.to, block + (stretch.from - from));
}

// A sector is right when it is zero (and no stamp was written there) or holds its own stamp. A stamp
// of this run found elsewhere is the mark of a drive whose addresses wrap, counted once for the whole
// drive, not per sector. A written stamp that reads back as anything else, zeros included, is a write
// the device acknowledged and did not keep: a device that drops writes and reads zeros would pass a
// plain zero check.
void VerificationRun::InspectSectors(std::int64_t from, std::int64_t to, const std::uint8_t* bytes) {
  for (std::int64_t at = from; at < to; at += sectorSize_, bytes += sectorSize_) {
    const std::span<const std::uint8_t> sector(bytes, static_cast<std::size_t>(std::min(sectorSize_, to - at)));
    const std::int64_t end = at + static_cast<std::int64_t>(sector.size());
    const std::optional<std::int64_t> stamped = IsAllZero(sector) ? std::nullopt : StampedOffset(sector, nonce_);
    if (stamped && *stamped == at) continue;
    if (stamped) {
      const std::int64_t distance = *stamped > at ? *stamped - at : at - *stamped;
      if (wrapDistance_ == 0 || distance < wrapDistance_) wrapDistance_ = distance;
      continue;
    }
    if (IsWrittenStamp(at)) wrong_.Add({WrongRange::Kind::LostWrite, at, end, 0});
    else if (!IsAllZero(sector)) wrong_.Add({WrongRange::Kind::NotZero, at, end, 0});
  }
}

bool VerificationRun::IsWrittenStamp(std::int64_t offset) const {
  const auto stamp = std::lower_bound(stamps_.begin(), stamps_.end(), offset);
  return stamp != stamps_.end() && *stamp == offset && stamped_[static_cast<std::size_t>(stamp - stamps_.begin())];
}

bool VerificationRun::WasChecked(std::int64_t offset) const {
  return std::any_of(checkedParts_.begin(), checkedParts_.end(),
                     [&](const WipeExtent& part) { return part.from <= offset && offset < part.to; });
}

// Everything the pass walked at or past the wrap distance is not really stored: one range for it all.
// What a stopped or aborted pass never read is not claimed.
void VerificationRun::AddWrappedRange() {
  if (wrapDistance_ == 0) return;
  for (const WipeExtent& part : checkedParts_) {
    const std::int64_t from = std::max(wrapDistance_, part.from);
    if (from >= part.to) continue;
    wrong_.Add({WrongRange::Kind::Wrapped, from, part.to, 0});
    wrong_.Close();
  }
}

void VerificationRun::ShowProgress(std::int64_t position, std::int64_t length) {
  const std::int64_t percent = PercentDone(checked_ + length, total_);
  view_.SetProgressPosition(static_cast<int>(percent));
  view_.SetPercentCaption(PercentCaption(RunPhase::Check, percent));
  view_.SetPositionCaption(PositionCaption(SectorAt(position + length, sectorSize_)));
}

void VerificationRun::ShowSpeed() {
  const std::int64_t elapsed = Now() - startTime_;
  const char16_t separator = system_.GetRegionalSettings().decimalSeparator;
  view_.SetAmountCaption(AmountCaption(checked_, total_, elapsed, separator));
  if (elapsed <= 0) return;
  const double megabytesPerSecond = static_cast<double>(checked_) / static_cast<double>(elapsed) / 1000.0;
  speed_ = SpeedCaptionText(megabytesPerSecond, separator);
  // Labelled: the caption showed the write speed until now, and keeps this figure after the run.
  view_.SetSpeedCaption(SpeedCaptionText(RunPhase::Check, megabytesPerSecond, separator));
}

VerificationOutcome VerificationRun::Finish() {
  for (AlignedBlock& buffer : buffers_) buffer.reset();
  VerificationOutcome outcome;
  outcome.aborted = aborted_;
  outcome.stopped = job_.stop.Requested();
  outcome.bytesChecked = checked_;
  outcome.ranges = wrong_.Ranges();
  outcome.bytesWrong = wrong_.Bytes();
  log_.AddFormatLogLine(u"Средняя скорость проверки: " + speed_);
  if (aborted_) {
    log_.AddFormatLogLine(u"Проверка прекращена по смещению " + GroupDigits(abortedAt_));
  } else if (outcome.stopped) {
    log_.AddFormatLogLine(u"Проверка отменена по смещению " + GroupDigits(position_));
    job_.stop.Clear();
  } else {
    view_.SetProgressPosition(100);
  }
  log_.AddFormatLogLine(u"Проверено байт: " + GroupDigits(checked_) + u", найдено ошибочных байт: " +
                        GroupDigits(outcome.bytesWrong));
  // The pass's own duration, stamps included, to the millisecond: what a benchmark compares.
  log_.AddDebugLogLine(u"Проверка записи: " + Decimal(checked_) + u" байт за " +
                       Decimal(std::max<std::int64_t>(Now() - startTime_, 0)) + u" мс");
  return outcome;
}

}  // namespace

VerificationOutcome RunVerification(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view,
                                    const std::vector<FailedWrite>& failed) {
  VerificationRun run(system, job, log, view);
  return run.Run(failed);
}

}  // namespace trelvane
