#include "format/firmware_erase_method.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

#include "ata/ata_transport.h"
#include "common/worker_run.h"
#include "format/erase_job.h"
#include "format/firmware_erase_report.h"
#include "format/firmware_erase_text.h"
#include "format/progress_text.h"
#include "nvme/nvme_erase_commands.h"
#include "nvme/nvme_identify.h"
#include "nvme/nvme_transport.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

std::int64_t DriveBytes(const TIdentifyDeviceData& identity) {
  return identity.LBA * std::max<std::int64_t>(identity.SectorSize, 512);
}

std::optional<std::int64_t> MinutesMs(const AtaEraseTime& time) {
  if (time.kind != AtaEraseTime::Kind::Minutes) return std::nullopt;
  return std::int64_t{time.minutes} * 60'000;
}

// The drive's progress on the console line or the window's captions: the share the drive reports,
// the time since the erasing command against the drive's estimate.
void ShowProgress(ProgressView& view, const FirmwareEraseProgress& progress) {
  if (progress.shareDone) {
    const int percent = static_cast<int>(std::lround(std::clamp(*progress.shareDone, 0.0, 1.0) * 100.0));
    view.SetProgressPosition(percent);
    view.SetPercentCaption(PercentCaption(progress.readingBack ? RunPhase::Check : RunPhase::DriveErase, percent));
  }
  std::u16string elapsed = u"Прошло: " + DurationText(progress.elapsedMs);
  if (progress.estimateMs) elapsed += u" из " + DurationText(*progress.estimateMs) + u" по оценке накопителя";
  view.SetPositionCaption(elapsed);
}

// While SECURITY ERASE UNIT or Format NVM holds the worker, the drive reports nothing for as long as it
// erases: the elapsed time goes on from its last report by the real clock, once a second, so a window
// or console line that has said "0 s" for an hour does not look hung. Reports with a share (sanitize
// polls, the read-back) come often enough on their own and are left alone.
class ElapsedWhileBlocked {
 public:
  explicit ElapsedWhileBlocked(ProgressView& view) : view_(view) {}

  void Reported(const FirmwareEraseProgress& progress) {
    last_ = progress;
    reportedAt_ = shownAt_ = Clock::now();
  }

  void Tick() {
    if (!last_ || last_->shareDone) return;
    const Clock::time_point now = Clock::now();
    if (now - shownAt_ < std::chrono::seconds(1)) return;
    shownAt_ = now;
    FirmwareEraseProgress moved = *last_;
    moved.elapsedMs += std::chrono::duration_cast<std::chrono::milliseconds>(now - reportedAt_).count();
    ShowProgress(view_, moved);
  }

 private:
  using Clock = std::chrono::steady_clock;
  ProgressView& view_;
  std::optional<FirmwareEraseProgress> last_;
  Clock::time_point reportedAt_, shownAt_;
};

// A memo of the window, written by its own thread: the worker's stamped lines are posted to it.
class PostedSink final : public LineSink {
 public:
  PostedSink(CallerQueue& queue, LineSink* target) : queue_(queue), target_(target) {}
  void AppendLine(const std::u16string& text) override {
    if (target_ != nullptr) queue_.Post([target = target_, text] { target->AppendLine(text); });
  }

 private:
  CallerQueue& queue_;
  LineSink* target_;
};

}  // namespace

DriveEraseFacts ReadDriveEraseFacts(System& system, Handle drive, const TIdentifyDeviceData& identity) {
  if (identity.BusType == BusTypeNvme) {
    std::array<std::uint8_t, 4096> controller{};
    if (!ReadNvmeIdentifyController(system, drive, controller)) return std::monostate{};
    std::optional<std::uint32_t> active;
    std::array<std::uint8_t, 4096> list{};
    if (ReadNvmeActiveNamespaces(system, drive, list)) active = CountActiveNamespaces(list);
    NvmeEraseCapabilities caps = EraseCapabilitiesOf(DecodeIdentifyController(controller), active);
    const std::unique_ptr<NvmeDevice> device = system.NvmeDeviceOf(drive);
    caps.systemCarriesOverwrite = device->Carries(SanitizeCommand(NvmeSanitizeAction::Overwrite));
    caps.systemCarriesUserDataFormat =
        device->Carries(FormatNvmCommand(DiskNamespaceId, 0, NvmeSecureErase::UserData));
    return caps;
  }
  std::array<std::uint8_t, 512> identify{};
  if (!IdentifyDevice(system, drive, identity.IsIDESlave, identify)) return std::monostate{};
  return DecodeEraseCapabilities(identify);
}

std::optional<std::int64_t> EstimateBeforeErase(System& system, Handle drive, EraseMethodId method,
                                                const DriveEraseFacts& facts) {
  if (const AtaEraseCapabilities* ata = std::get_if<AtaEraseCapabilities>(&facts)) {
    if (method == EraseMethodId::SecureErase) return MinutesMs(ata->normalEraseTime);
    if (method == EraseMethodId::SecureEraseEnhanced) return MinutesMs(ata->enhancedEraseTime);
    return std::nullopt;
  }
  const bool sanitize = method == EraseMethodId::SanitizeCrypto || method == EraseMethodId::SanitizeBlock ||
                        method == EraseMethodId::SanitizeOverwrite;
  if (!std::holds_alternative<NvmeEraseCapabilities>(facts) || !sanitize) return std::nullopt;
  std::array<std::uint8_t, NvmeSanitizeLogBytes> data{};
  NvmeCompletion completion;
  if (!system.NvmeDeviceOf(drive)->Admin(SanitizeLogCommand(), data, completion)) return std::nullopt;
  const NvmeSanitizeLog log = DecodeSanitizeLog(data);
  const std::optional<std::uint32_t> seconds = method == EraseMethodId::SanitizeCrypto  ? log.cryptoEraseSeconds
                                               : method == EraseMethodId::SanitizeBlock ? log.blockEraseSeconds
                                                                                        : log.overwriteSeconds;
  if (!seconds) return std::nullopt;
  return std::int64_t{*seconds} * 1000;
}

std::u16string MethodTitle(EraseMethodId method, const DriveEraseFacts& facts) {
  if (method == EraseMethodId::Zero) return FromUtf8(WholeDiskZeroFill().Names().text);
  if (method == EraseMethodId::Quick) return FromUtf8(QuickWipe().Names().text);
  std::u16string technique = TechniqueText(method, facts);
  return technique.empty() ? FromUtf8(std::string(CommandLineName(method))) : technique;
}

FirmwareEraseMethod::FirmwareEraseMethod(EraseMethodId method, DriveEraseFacts facts, bool wholeDiskProof,
                                         std::optional<std::int64_t> estimateMs)
    : method_(method), facts_(std::move(facts)), wholeDiskProof_(wholeDiskProof), estimateMs_(estimateMs) {
  key_ = std::string(CommandLineName(method));
  std::replace(key_.begin(), key_.end(), '-', '_');
  text_ = ToUtf8(MethodTitle(method, facts_));
  report_.method = method;
  report_.technique = MethodTitle(method, facts_);
  report_.category = NistCategoryOf(method, facts_);
  report_.wholeDiskProof = wholeDiskProof;
}

std::vector<WipeExtent> FirmwareEraseMethod::Extents(std::int64_t deviceBytes) const {
  if (deviceBytes <= 0) return {};
  return {{0, deviceBytes}};
}

EraseRunOutcome FirmwareEraseMethod::Run(System& system, EraseJob& job, DiagnosticLog& log,
                                         ProgressView& view) const {
  log.AddFormatLogLine(u"Способ стирания: " + report_.technique + u"; категория NIST SP 800-88: " +
                       NistCategoryText(report_.category));
  log.AddFormatLogLine(FirmwareEraseStopText());
  // SECURITY ERASE UNIT and Format NVM block until the drive is done, which may take hours: the run goes
  // on a worker so the window stays live. Its log lines are stamped there, by a log of its own, and
  // written to the memos, like its progress to the captions, by the window's thread.
  FirmwareEraseResult result;
  ElapsedWhileBlocked elapsed(view);
  RunOnWorker(
      [&](CallerQueue& queue) {
        PostedSink formatSink(queue, log.FormatSink());
        PostedSink debugSink(queue, log.DebugSink());
        const bool debugMode = log.DebugMode();
        DiagnosticLog workerLog(system, debugMode);
        workerLog.SetFormatSink(&formatSink);
        workerLog.SetDebugSink(&debugSink);
        SystemEraseWaiter waiter(system);
        const FirmwareEraseContext context{waiter, [&](const FirmwareEraseProgress& progress) {
                                             queue.Post([&view, &elapsed, progress] {
                                               ShowProgress(view, progress);
                                               elapsed.Reported(progress);
                                             });
                                           }};
        result = RunFirmwareErase(system, job, method_, facts_, wholeDiskProof_, workerLog, context);
      },
      [&view, &elapsed] {
        elapsed.Tick();
        view.ProcessMessages();
      });
  report_.ran = true;
  report_.run = std::move(result.run);
  report_.proof = std::move(result.proof);
  report_.sectorSize = std::max<std::int64_t>(job.drive.IdentifyData.SectorSize, 512);

  EraseRunOutcome outcome;
  if (report_.run.ending == FirmwareEraseOutcome::Ending::Completed) return outcome;
  // Nothing was erased for certain: the report counts the whole drive as not erased.
  outcome.bytesNotWritten = DriveBytes(job.drive.IdentifyData);
  outcome.ending = report_.run.ending == FirmwareEraseOutcome::Ending::Refused ? EraseRunOutcome::Ending::Refused
                                                                               : EraseRunOutcome::Ending::Aborted;
  return outcome;
}

VerificationOutcome FirmwareEraseMethod::Verify(System&, EraseJob&, DiagnosticLog&, ProgressView&,
                                                const EraseRunOutcome&) const {
  VerificationOutcome outcome;
  if (!report_.proof) {
    outcome.aborted = true;  // the drive could not be read back
    return outcome;
  }
  const EraseProof& proof = *report_.proof;
  outcome.bytesChecked = proof.bytesChecked;
  outcome.bytesWrong = std::min(proof.sectorsWrong * report_.sectorSize, proof.bytesChecked);
  for (const ProofFinding& finding : proof.findings) {
    const WrongRange::Kind kind =
        finding.kind == ProofFinding::Kind::Unreadable ? WrongRange::Kind::Unreadable : WrongRange::Kind::NotZero;
    if (finding.kind == ProofFinding::Kind::Unreadable || finding.kind == ProofFinding::Kind::NotZero)
      outcome.ranges.push_back({kind, finding.offsetBytes, finding.offsetBytes + finding.lengthBytes, 0});
  }
  return outcome;
}

EraseMethodNames FirmwareEraseMethod::Names() const {
  return {key_.c_str(), "whole_disk", text_.c_str(), "СТЕРТО: накопитель выполнил встроенное стирание", false};
}

std::u16string FirmwareEraseMethod::ConfirmationLines() const {
  std::u16string lines = u"\r\n\r\nСпособ стирания: " + report_.technique + u"\r\nКатегория NIST SP 800-88: " +
                         NistCategoryText(report_.category) + u"\r\n" +
                         u"Встроенное стирание нельзя остановить после начала: накопитель выполняет его сам до конца";
  if (estimateMs_) lines += u"\r\nОценка накопителя: " + DurationText(*estimateMs_);
  return lines;
}

ResolvedErase ResolveErase(System& system, Handle drive, const TIdentifyDeviceData& identity, EraseMethodId asked,
                           bool wholeDiskProof) {
  ResolvedErase resolved;
  const DriveEraseFacts facts = ReadDriveEraseFacts(system, drive, identity);
  resolved.method = asked;
  if (asked == EraseMethodId::Auto) {
    const EraseChoice choice = ChooseErase(facts);
    resolved.method = choice.method;
    resolved.choiceLine = u"Выбран способ стирания: " + MethodTitle(choice.method, facts) + u" (" + choice.reason + u")";
  }
  if (const std::optional<std::u16string> refusal = RefusalOf(resolved.method, facts)) {
    resolved.refusalLine = u"Встроенное стирание невозможно: " + *refusal + u". На диск ничего не записано.";
    return resolved;
  }
  if (resolved.method == EraseMethodId::Zero || resolved.method == EraseMethodId::Quick) return resolved;
  resolved.firmware = std::make_unique<FirmwareEraseMethod>(resolved.method, facts, wholeDiskProof,
                                                            EstimateBeforeErase(system, drive, resolved.method, facts));
  return resolved;
}

}  // namespace trelvane
