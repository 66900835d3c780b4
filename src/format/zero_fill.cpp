#include "format/zero_fill.h"

#include <algorithm>
#include <vector>

#include "common/system_error_text.h"
#include "format/aligned_block.h"
#include "format/progress_text.h"
#include "format/run_clock.h"
#include "format/wipe_extents.h"
#include "format/write_errors.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr std::int64_t FirstBlockSize = 65'536;
// The block size is reconsidered on every tenth block and doubles when those ten took less than this.
constexpr std::int64_t GrowthPeriod = 10;
constexpr std::int64_t GrowthThresholdMs = 1'000;
// A failed block is written again in halves, down to single sectors, so that only the sectors that
// refuse stay unwritten. Once this many single sectors in a row have refused, failed blocks are skipped
// whole again until a write succeeds: a disk that refuses every write costs at most about twice this
// many writes more than one write per block.
constexpr std::int64_t SplitGiveUpSectors = 256;

// One run: its working values, and the policy of what each block's outcome means. The I/O itself is
// SeekDevice and WriteBlock.
class ZeroFillRun {
 public:
  ZeroFillRun(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view)
      : system_(system), job_(job), drive_(job.handle.Get()), log_(log), view_(view) {}

  EraseRunOutcome Run();

 private:
  std::int64_t Now() { return RunClockMilliseconds(system_.GetLocalTime()); }
  bool FillExtent(const WipeExtent& extent);
  void GrowBlockSize();
  void ShowProgress(std::int64_t length);
  enum class Attempt { Written, Failed, Skipped, EndsRun };
  bool WriteZeros(std::int64_t length);
  Attempt TryWrite(std::int64_t offset, std::int64_t length, std::uint32_t& code);
  bool WriteHalves(std::int64_t offset, std::int64_t length);
  bool MaySplit(std::int64_t length, std::uint32_t code) const;
  void AddFailedRange(std::int64_t offset, std::int64_t length, std::uint32_t code);
  void CloseFailedRange();
  void NoteFailure(std::int64_t offset, std::int64_t length, std::uint32_t code);
  void ShowSpeed();
  EraseRunOutcome Finish();
  bool Flush();

  System& system_;
  EraseJob& job_;
  const Handle drive_;  // the run writes through the drive's handle; it never replaces or closes it
  DiagnosticLog& log_;
  ProgressView& view_;
  AlignedBlock buffer_;
  std::int64_t sectorSize_ = 0;
  std::int64_t sectorCount_ = 0;
  std::int64_t total_ = 0;     // bytes in all extents
  std::int64_t done_ = 0;      // bytes of the extents passed, written or skipped
  std::int64_t written_ = 0;   // bytes the device accepted
  std::int64_t position_ = 0;  // device offset of the next block
  std::int64_t blockSize_ = FirstBlockSize;
  std::int64_t blockCounter_ = 0;
  std::int64_t startTime_ = 0;
  std::int64_t lastCheckpoint_ = 0;
  std::int64_t sectorFailuresInRow_ = 0;  // single sectors refused since the last write that succeeded
  bool aborted_ = false;
  bool refused_ = false;
  std::vector<FailedWrite> failures_;
  bool rangeOpen_ = false;  // failures_.back() is a write-error range whose log line is still to come
  double speed_ = 0;
};

EraseRunOutcome ZeroFillRun::Run() {
  buffer_ = AlignedBlock(system_, static_cast<std::size_t>(BufferSize));
  view_.ProcessMessages();
  const TIdentifyDeviceData& drive = job_.drive.IdentifyData;
  sectorSize_ = drive.SectorSize;
  sectorCount_ = drive.LBA;
  const std::vector<WipeExtent> extents = job_.request.method->Extents(sectorCount_ * sectorSize_);
  for (const WipeExtent& extent : extents) total_ += extent.to - extent.from;
  startTime_ = Now();
  for (const WipeExtent& extent : extents) {
    if (!FillExtent(extent)) break;
  }
  return Finish();
}

// False when the run must not go on to a further extent (stopped or aborted).
bool ZeroFillRun::FillExtent(const WipeExtent& extent) {
  position_ = extent.from;
  while (position_ < extent.to && !job_.stop.Requested()) {
    GrowBlockSize();
    // Only this block is trimmed to end at the extent's end; a further extent goes on at blockSize_.
    const std::int64_t length = std::min(blockSize_, extent.to - position_);
    ShowProgress(length);
    view_.ProcessMessages();
    if (!WriteZeros(length)) return false;
    position_ += length;
    done_ += length;
    ShowSpeed();
  }
  return !job_.stop.Requested();
}

void ZeroFillRun::GrowBlockSize() {
  ++blockCounter_;
  if (blockCounter_ % GrowthPeriod != 0) return;
  const std::int64_t now = Now();
  if (lastCheckpoint_ == 0) {
    lastCheckpoint_ = now;
    return;
  }
  const std::int64_t previous = lastCheckpoint_;
  lastCheckpoint_ = now;
  if (now - previous < GrowthThresholdMs) blockSize_ = std::min(blockSize_ * 2, BufferSize);
}

// Shown before the block is written, for the state after it.
void ZeroFillRun::ShowProgress(std::int64_t length) {
  const std::int64_t percent = PercentDone(done_ + length, total_);
  view_.SetProgressPosition(static_cast<int>(percent));
  view_.SetPercentCaption(PercentCaption(RunPhase::Write, percent));
  const std::int64_t sector = std::min(SectorAt(position_ + length, sectorSize_), sectorCount_);
  view_.SetPositionCaption(PositionCaption(sector));
}

// Writes one block of `length` zeros at position_. A block that fails is written again in smaller
// pieces; what still fails is a failed range, skipped (true). False when the run must end in this
// block: the device is gone or in use, or Stop was pressed while the block was being split.
bool ZeroFillRun::WriteZeros(std::int64_t length) {
  std::uint32_t code = 0;
  const Attempt attempt = TryWrite(position_, length, code);
  if (attempt == Attempt::EndsRun) return false;
  if (attempt != Attempt::Failed) return true;
  if (MaySplit(length, code)) return WriteHalves(position_, length);
  AddFailedRange(position_, length, code);
  return true;
}

// Seeks and writes `length` zeros at `offset`. A failed seek is logged and the piece skipped; a write
// that the device refuses is Failed with its `code`, unless the code ends the run.
ZeroFillRun::Attempt ZeroFillRun::TryWrite(std::int64_t offset, std::int64_t length, std::uint32_t& code) {
  if (SeekDevice(system_, drive_, offset) != offset) {
    const std::uint32_t seekCode = system_.GetLastError();
    CloseFailedRange();
    log_.AddFormatLogLine(u"Ошибка поиска произошла по смещению " + GroupDigits(offset));
    NoteFailure(offset, length, seekCode);
    return Attempt::Skipped;
  }
  const std::span<const std::uint8_t> zeros(buffer_.get(), static_cast<std::size_t>(length));
  if (WriteBlock(system_, drive_, zeros, code)) {
    written_ += length;
    sectorFailuresInRow_ = 0;
    CloseFailedRange();
    return Attempt::Written;
  }
  if (written_ == 0 && DeviceIsInUse(code)) {
    CloseFailedRange();
    log_.AddFormatLogLine(DeviceInUseLine);
    refused_ = true;
    return Attempt::EndsRun;
  }
  const std::u16string ending = RunEndingLine(code);
  if (ending.empty()) return Attempt::Failed;
  AddFailedRange(offset, length, code);
  CloseFailedRange();
  log_.AddFormatLogLine(ending);
  aborted_ = true;
  position_ = offset;
  return Attempt::EndsRun;
}

// Writes a failed piece again as two halves of whole sectors, each split further while it fails.
// The window handles its messages before every piece, so Stop ends the run inside a long split.
bool ZeroFillRun::WriteHalves(std::int64_t offset, std::int64_t length) {
  const std::int64_t first = (length / sectorSize_ + 1) / 2 * sectorSize_;
  const std::int64_t pieces[2][2] = {{offset, first}, {offset + first, length - first}};
  for (const auto& [at, size] : pieces) {
    if (size <= 0) continue;
    view_.ProcessMessages();
    if (job_.stop.Requested()) {
      position_ = at;
      return false;
    }
    std::uint32_t code = 0;
    const Attempt attempt = TryWrite(at, size, code);
    if (attempt == Attempt::EndsRun) return false;
    if (attempt != Attempt::Failed) continue;
    if (size <= sectorSize_) ++sectorFailuresInRow_;
    if (!MaySplit(size, code)) {
      AddFailedRange(at, size, code);
    } else if (!WriteHalves(at, size)) {
      return false;
    }
  }
  return true;
}

bool ZeroFillRun::MaySplit(std::int64_t length, std::uint32_t code) const {
  return sectorSize_ > 0 && length > sectorSize_ && sectorFailuresInRow_ < SplitGiveUpSectors &&
         !FailureConcernsWholeDevice(code);
}

// A range the device refused to write: it joins the open range when it goes on from it with the same
// code, so that the log gets one line per contiguous range, written when the range closes.
void ZeroFillRun::AddFailedRange(std::int64_t offset, std::int64_t length, std::uint32_t code) {
  if (rangeOpen_) {
    FailedWrite& last = failures_.back();
    if (last.code == code && last.offset + last.length == offset) {
      last.length += length;
      return;
    }
    CloseFailedRange();
  }
  failures_.push_back({offset, length, code});
  rangeOpen_ = true;
}

void ZeroFillRun::CloseFailedRange() {
  if (!rangeOpen_) return;
  rangeOpen_ = false;
  const FailedWrite& range = failures_.back();
  log_.AddFormatLogLine(WriteErrorLine(range.offset, range.length, range.code));
}

// A block skipped for a failed seek: in the outcome's list, with no line of its own beyond the seek's.
void ZeroFillRun::NoteFailure(std::int64_t offset, std::int64_t length, std::uint32_t code) {
  if (!failures_.empty() && failures_.back().code == code &&
      failures_.back().offset + failures_.back().length == offset) {
    failures_.back().length += length;
    return;
  }
  failures_.push_back({offset, length, code});
}

void ZeroFillRun::ShowSpeed() {
  const std::int64_t elapsed = std::max<std::int64_t>(Now() - startTime_, 0);
  const char16_t separator = system_.GetRegionalSettings().decimalSeparator;
  view_.SetAmountCaption(AmountCaption(done_, total_, elapsed, separator));
  if (elapsed <= 0) return;
  const double megabytesPerSecond =
      static_cast<double>(done_) / static_cast<double>(elapsed) / 1000.0;
  speed_ = megabytesPerSecond;
  view_.SetSpeedCaption(SpeedCaptionText(RunPhase::Write, megabytesPerSecond, separator));
}

// The device may still hold written blocks in its cache; only a flush that succeeds says they are on
// the medium, so a failed one gets its own line: the blocks were sent, but nothing vouches for them.
bool ZeroFillRun::Flush() {
  if (system_.FlushFileBuffers(drive_)) return true;
  const std::uint32_t code = system_.GetLastError();
  std::u16string text = SystemErrorText(system_, code);
  if (!text.empty()) text = u" - " + text;
  log_.AddFormatLogLine(u"Устройство не подтвердило сохранение записанных данных на носителе:   " +
                        DecimalUnsigned(code) + text);
  return false;
}

EraseRunOutcome ZeroFillRun::Finish() {
  buffer_.reset();
  CloseFailedRange();
  if (refused_) {
    EraseRunOutcome refused;
    refused.ending = EraseRunOutcome::Ending::Refused;
    refused.bytesNotWritten = total_;
    return refused;
  }
  log_.AddFormatLogLine((job_.request.verify ? u"Средняя скорость записи: " : u"Средняя скорость: ") + SpeedFigure(view_.SpeedCaption()));
  EraseRunOutcome outcome;
  outcome.bytesNotWritten = total_ - written_;
  outcome.bytesWritten = written_;
  outcome.megabytesPerSecond = speed_;
  outcome.failedWrites = failures_;
  const std::u16string where =
      GroupDigits(position_) + u"    LBA " + GroupDigits(SectorAt(position_, sectorSize_));
  if (aborted_) {
    log_.AddFormatLogLine(u"Операция прекращена по смещению " + where);
    outcome.ending = EraseRunOutcome::Ending::Aborted;
  } else if (job_.stop.Requested()) {
    log_.AddFormatLogLine(u"Операция отменена по смещению " + where);
    job_.stop.Clear();
    outcome.ending = EraseRunOutcome::Ending::Stopped;
  } else {
    outcome.flushed = Flush();
    view_.SetProgressPosition(100);
    log_.AddFormatLogLine(u"Низкоуровневое форматирование завершено.");
    if (outcome.bytesNotWritten > 0) {
      log_.AddFormatLogLine(u"Не записано байт: " + GroupDigits(outcome.bytesNotWritten));
    }
  }
  return outcome;
}

}  // namespace

std::int64_t SeekDevice(System& system, Handle handle, std::int64_t offset) {
  std::int64_t result = -1;
  std::int64_t newPosition = 0;
  if (system.SetFilePointerEx(handle, offset, newPosition)) result = newPosition;
  return result;
}

bool WriteBlock(System& system, Handle handle, std::span<const std::uint8_t> data, std::uint32_t& error) {
  std::uint32_t written = 0;
  if (system.WriteFile(handle, data, written) && written == data.size()) return true;
  error = system.GetLastError();
  return false;
}

EraseRunOutcome RunZeroFill(System& system, EraseJob& job, DiagnosticLog& log, ProgressView& view) {
  ZeroFillRun run(system, job, log, view);
  return run.Run();
}

}  // namespace trelvane
