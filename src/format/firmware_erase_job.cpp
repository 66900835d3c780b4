#include "format/firmware_erase_job.h"

#include <algorithm>
#include <memory>
#include <variant>

#include "format/firmware_erase_text.h"
#include "text/number_text.h"

namespace trelvane {

namespace {

using Ending = FirmwareEraseOutcome::Ending;

// More findings than this go into the log as a count: a drive that kept everything would fill it.
constexpr std::size_t LoggedFindings = 20;

bool IsFormat(EraseMethodId method) {
  return method == EraseMethodId::FormatCrypto || method == EraseMethodId::FormatUser;
}
bool IsSecurity(EraseMethodId method) {
  return method == EraseMethodId::SecureErase || method == EraseMethodId::SecureEraseEnhanced;
}

FirmwareEraseOutcome RunSequence(System& system, const EraseJob& job, EraseMethodId method,
                                 const DriveEraseFacts& facts, const FirmwareEraseContext& context) {
  if (std::optional<std::u16string> refusal = RefusalOf(method, facts)) {
    FirmwareEraseOutcome refused;
    refused.ending = Ending::Refused;
    refused.text = std::move(*refusal);
    return refused;
  }
  const Handle drive = job.handle.Get();
  if (std::holds_alternative<NvmeEraseCapabilities>(facts)) {
    const std::unique_ptr<NvmeDevice> device = system.NvmeDeviceOf(drive);
    return IsFormat(method) ? RunNvmeFormat(*device, method, context) : RunNvmeSanitize(*device, method, context);
  }
  // RefusalOf leaves only ATA here.
  const AtaEraseCapabilities& ata = std::get<AtaEraseCapabilities>(facts);
  const std::unique_ptr<AtaDevice> device = system.AtaDeviceOf(drive);
  const std::uint8_t selector = job.drive.IdentifyData.IsIDESlave;
  if (IsSecurity(method)) return RunAtaSecurityErase(*device, selector, method, ata, context);
  return RunAtaSanitize(*device, selector, method, context);
}

void LogRun(const FirmwareEraseOutcome& run, DiagnosticLog& log) {
  for (const FirmwareCommandRecord& record : run.commands) log.AddFormatLogLine(CommandRecordLine(record));
  for (const std::u16string& note : run.notes) log.AddFormatLogLine(note);
  if (run.eraseStarted) log.AddFormatLogLine(EstimateLine(run));
  if (run.ending == Ending::Completed) log.AddFormatLogLine(u"Накопитель сообщил о завершении стирания");
  else if (run.ending == Ending::Failed) log.AddFormatLogLine(u"Встроенное стирание не удалось: " + run.text);
  else log.AddFormatLogLine(u"Встроенное стирание невозможно: " + run.text);
}

void LogProof(const EraseProof& proof, bool wholeDisk, DiagnosticLog& log) {
  log.AddFormatLogLine(ProofLine(proof, wholeDisk));
  const std::size_t shown = std::min(proof.findings.size(), LoggedFindings);
  for (std::size_t i = 0; i < shown; ++i) log.AddFormatLogLine(FindingLine(proof.findings[i]));
  if (shown < proof.findings.size())
    log.AddFormatLogLine(u"и ещё ошибочных участков: " +
                         GroupDigits(static_cast<std::int64_t>(proof.findings.size() - shown)));
}

}  // namespace

FirmwareEraseResult RunFirmwareErase(System& system, const EraseJob& job, EraseMethodId method,
                                     const DriveEraseFacts& facts, bool wholeDiskProof, DiagnosticLog& log,
                                     const FirmwareEraseContext& context) {
  FirmwareEraseResult result;
  result.wholeDiskProof = wholeDiskProof;
  const TIdentifyDeviceData& identity = job.drive.IdentifyData;
  const std::int64_t sectorSize = std::max<std::int64_t>(identity.SectorSize, 512);
  const std::int64_t deviceBytes = identity.LBA * sectorSize;
  const ErasedRule rule = ErasedRuleOf(method);
  const bool verify = job.request.verify && RefusalOf(method, facts) == std::nullopt;
  std::optional<HandleSectorReader> reader;
  if (verify) reader.emplace(system, job.handle.Get());

  // Fingerprints of the sample only, whole disk or not: a digest per sector of a large drive would
  // not fit in memory.
  std::vector<SectorFingerprint> before;
  if (verify && rule == ErasedRule::Changed)
    before = TakeFingerprints(*reader, SampleRanges(deviceBytes, sectorSize), sectorSize);

  result.run = RunSequence(system, job, method, facts, context);
  LogRun(result.run, log);
  if (!verify || !result.run.Completed()) return result;

  const std::vector<ProofRange> ranges =
      wholeDiskProof ? WholeDiskRanges(deviceBytes) : SampleRanges(deviceBytes, sectorSize);
  const auto share = [&](double done) {
    if (context.progress) context.progress({done, result.run.elapsedMs, result.run.estimateMs, true});
  };
  result.proof = CheckErased(*reader, rule, ranges, sectorSize, before, share);
  LogProof(*result.proof, wholeDiskProof, log);
  return result;
}

}  // namespace trelvane
