// NVMe Sanitize and Format NVM with a secure erase, run to the controller's last word.

#include <array>
#include <vector>

#include "format/firmware_erase_run.h"
#include "format/firmware_erase_steps.h"
#include "nvme/nvme_commands.h"
#include "nvme/nvme_erase_capabilities.h"
#include "nvme/nvme_erase_commands.h"
#include "nvme/nvme_identify.h"

namespace trelvane {

namespace {

using Ending = FirmwareEraseOutcome::Ending;

constexpr const char16_t* SanitizeLogName = u"Get Log Page 81h (Sanitize Status)";

struct SanitizeRow {
  EraseMethodId method;
  NvmeSanitizeAction action;
  // The estimate of the log that goes with the action (no-deallocate is never asked for).
  std::optional<std::uint32_t> NvmeSanitizeLog::*estimate;
};
constexpr std::array<SanitizeRow, 3> SanitizeRows = {{
    {EraseMethodId::SanitizeCrypto, NvmeSanitizeAction::CryptoErase, &NvmeSanitizeLog::cryptoEraseSeconds},
    {EraseMethodId::SanitizeBlock, NvmeSanitizeAction::BlockErase, &NvmeSanitizeLog::blockEraseSeconds},
    {EraseMethodId::SanitizeOverwrite, NvmeSanitizeAction::Overwrite, &NvmeSanitizeLog::overwriteSeconds},
}};

const SanitizeRow* SanitizeRowOf(EraseMethodId method) {
  for (const SanitizeRow& row : SanitizeRows)
    if (row.method == method) return &row;
  return nullptr;
}

// Reads the Sanitize Status log; nothing when the controller refused (the record says why).
std::optional<NvmeSanitizeLog> ReadSanitizeLog(FirmwareRunSteps& steps, NvmeDevice& device, bool joinPoll) {
  std::array<std::uint8_t, NvmeSanitizeLogBytes> log{};
  NvmeCompletion completion;
  if (!steps.SendNvme(device, SanitizeLogName, SanitizeLogCommand(), log, completion, joinPoll)) return std::nullopt;
  return DecodeSanitizeLog(log);
}

// What the log says of the sanitize this run started. The action bits of SCDW10 tell that run's
// completion from an older one the log may still show.
PollAnswer JudgeSanitizeLog(const NvmeSanitizeLog& log, std::uint32_t cdw10) {
  const bool ours = (log.commandDword10 & 0x7) == (cdw10 & 0x7);
  switch (static_cast<NvmeSanitizeState>(log.state)) {
    case NvmeSanitizeState::InProgress:
      return {PollAnswer::State::Working, log.progress / 65536.0, {}};
    case NvmeSanitizeState::Completed:
    case NvmeSanitizeState::CompletedNoDeallocate:
      if (ours) return {PollAnswer::State::Completed, 1.0, {}};
      return {};
    case NvmeSanitizeState::Failed:
      return {PollAnswer::State::Failed, std::nullopt, std::u16string(u"Sanitize не удался: ") + SanitizeFailedRemedy};
    default:
      return {};
  }
}

std::optional<std::int64_t> EstimateMs(const std::optional<std::uint32_t>& seconds) {
  if (!seconds) return std::nullopt;
  return static_cast<std::int64_t>(*seconds) * 1000;
}

}  // namespace

FirmwareEraseOutcome RunNvmeSanitize(NvmeDevice& device, EraseMethodId method, const FirmwareEraseContext& context) {
  FirmwareRunSteps steps(context);
  const SanitizeRow* row = SanitizeRowOf(method);
  if (row == nullptr) return steps.Finish(Ending::Refused, NotThisMethod);

  const std::optional<NvmeSanitizeLog> before = ReadSanitizeLog(steps, device, false);
  if (!before) return steps.Finish(Ending::Failed, steps.LastCommand().text);
  if (before->state == static_cast<std::uint8_t>(NvmeSanitizeState::InProgress))
    return steps.Finish(Ending::Refused, u"на накопителе уже выполняется Sanitize: дождитесь его завершения");
  const bool failedBefore = before->state == static_cast<std::uint8_t>(NvmeSanitizeState::Failed);
  if (failedBefore)
    steps.Note(u"накопитель был в состоянии сбоя Sanitize: прежнее стирание не завершилось (например, из-за "
               u"отключения питания); новое стирание выводит его из этого состояния");

  // A zero pattern for the overwrite, one pass; AUSE, so that a failure can be left again.
  NvmeSanitizeOptions options;
  options.allowUnrestrictedExit = true;
  const NvmeCommand sanitize = SanitizeCommand(row->action, options);
  steps.EraseStarts(EstimateMs((*before).*(row->estimate)));
  NvmeCompletion completion;
  if (!steps.SendNvme(device, u"Sanitize", sanitize, {}, completion)) {
    std::u16string text = steps.LastCommand().text;
    if (failedBefore) text += std::u16string(u"; ") + SanitizeFailedRemedy;
    return steps.Finish(Ending::Failed, std::move(text));
  }

  const auto read = [&]() -> PollAnswer {
    const std::optional<NvmeSanitizeLog> log = ReadSanitizeLog(steps, device, true);
    if (!log) return {PollAnswer::State::Failed, std::nullopt, steps.LastCommand().text};
    return JudgeSanitizeLog(*log, sanitize.cdw10);
  };
  return steps.Poll(read, PollLimitMs(EstimateMs((*before).*(row->estimate))));
}

FirmwareEraseOutcome RunNvmeFormat(NvmeDevice& device, EraseMethodId method, const FirmwareEraseContext& context) {
  FirmwareRunSteps steps(context);
  if (method != EraseMethodId::FormatUser && method != EraseMethodId::FormatCrypto)
    return steps.Finish(Ending::Refused, NotThisMethod);

  // The format in use, with its metadata and protection settings: a format to any other changes the
  // block size (a 4096-byte namespace of the QEMU controller uses format 4, not 0) or turns
  // protection off. DiskNamespaceId is the disk's own namespace: the backend carries it there.
  std::array<std::uint8_t, 4096> identify{};
  NvmeCompletion completion;
  if (!steps.SendNvme(device, u"Identify Namespace", IdentifyNamespaceCommand(DiskNamespaceId), identify, completion))
    return steps.Finish(Ending::Failed, steps.LastCommand().text);
  const NvmeNamespace space = DecodeIdentifyNamespace(identify);

  const NvmeSecureErase erase =
      method == EraseMethodId::FormatCrypto ? NvmeSecureErase::Cryptographic : NvmeSecureErase::UserData;
  const NvmeCommand format =
      FormatNvmCommand(DiskNamespaceId, static_cast<std::uint8_t>(space.formatInUse), erase,
                       {space.metadataExtended, space.protectionType, space.protectionFirst});
  // The command blocks until the erase is done; its completion is the controller's last word.
  steps.EraseStarts(std::nullopt);
  if (!steps.SendNvme(device, u"Format NVM", format, {}, completion))
    return steps.Finish(Ending::Failed, steps.LastCommand().text);
  steps.Progress(1.0);
  return steps.Finish(Ending::Completed);
}

}  // namespace trelvane
