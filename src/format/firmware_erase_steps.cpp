#include "format/firmware_erase_steps.h"

#include <algorithm>
#include <utility>

#include "format/run_clock.h"
#include "nvme/nvme_erase_capabilities.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr std::int64_t HourMs = 60 * 60 * 1000;
constexpr std::int64_t NoEstimateLimitMs = 48 * HourMs;

}  // namespace

std::int64_t SystemEraseWaiter::NowMs() { return RunClockMilliseconds(system_.GetLocalTime()); }

void SystemEraseWaiter::Wait(std::uint32_t milliseconds) { system_.Sleep(milliseconds); }

std::u16string FirmwareEraseStopText() {
  return u"Остановить встроенное стирание нельзя: накопитель выполняет его сам до конца";
}

std::int64_t PollLimitMs(std::optional<std::int64_t> estimateMs) {
  if (!estimateMs) return NoEstimateLimitMs;
  return std::max(*estimateMs * 3, HourMs);
}

FirmwareCommandRecord& FirmwareRunSteps::Record(std::u16string name, bool joinPoll, std::int64_t startMs) {
  std::vector<FirmwareCommandRecord>& commands = outcome_.commands;
  if (joinPoll && !commands.empty() && commands.back().name == name) {
    ++commands.back().count;
    return commands.back();
  }
  FirmwareCommandRecord& record = commands.emplace_back();
  record.name = std::move(name);
  recordStartMs_ = startMs;
  return record;
}

bool FirmwareRunSteps::SendNvme(NvmeDevice& device, std::u16string name, const NvmeCommand& command,
                                std::span<std::uint8_t> data, NvmeCompletion& completion, bool joinPoll) {
  const std::int64_t startMs = context_.waiter.NowMs();
  completion = {};
  const bool ok = device.Admin(command, data, completion);
  const std::int64_t endMs = context_.waiter.NowMs();
  FirmwareCommandRecord& record = Record(std::move(name), joinPoll, startMs);
  record.elapsedMs = endMs - recordStartMs_;
  record.opcode = command.opcode;
  record.feature = static_cast<std::uint16_t>(command.cdw10 & 0xFFFF);
  record.succeeded = ok;
  record.status = completion.status;
  record.text = ok ? std::u16string() : NvmeStatusText(completion.status, completion.systemError);
  return ok;
}

bool FirmwareRunSteps::SendAta(AtaDevice& device, std::u16string name, const AtaCommand& command,
                               std::span<std::uint8_t> data, AtaResult& result,
                               const std::function<std::u16string(const AtaResult&)>& failureText, bool joinPoll) {
  const std::int64_t startMs = context_.waiter.NowMs();
  result = {};
  const bool ok = device.PassThrough(command, data, result);
  const std::int64_t endMs = context_.waiter.NowMs();
  FirmwareCommandRecord& record = Record(std::move(name), joinPoll, startMs);
  record.elapsedMs = endMs - recordStartMs_;
  record.opcode = command.command;
  record.feature = command.features;
  record.succeeded = ok;
  record.status = static_cast<std::uint32_t>(result.status) << 8 | result.error;
  record.text = ok ? std::u16string() : failureText(result);
  return ok;
}

void FirmwareRunSteps::EraseStarts(std::optional<std::int64_t> estimateMs) {
  outcome_.eraseStarted = true;
  outcome_.estimateMs = estimateMs;
  eraseStartMs_ = context_.waiter.NowMs();
  Progress(std::nullopt);
}

void FirmwareRunSteps::Progress(std::optional<double> shareDone) {
  if (outcome_.eraseStarted) outcome_.elapsedMs = context_.waiter.NowMs() - eraseStartMs_;
  if (context_.progress) context_.progress({shareDone, outcome_.elapsedMs, outcome_.estimateMs});
}

FirmwareEraseOutcome FirmwareRunSteps::Poll(const std::function<PollAnswer()>& read, std::int64_t limitMs) {
  for (;;) {
    const PollAnswer answer = read();
    if (answer.state == PollAnswer::State::Failed) return Finish(FirmwareEraseOutcome::Ending::Failed, answer.failure);
    if (answer.state == PollAnswer::State::Completed) {
      Progress(1.0);
      return Finish(FirmwareEraseOutcome::Ending::Completed);
    }
    Progress(answer.shareDone);
    if (outcome_.elapsedMs >= limitMs)
      return Finish(FirmwareEraseOutcome::Ending::Failed,
                    u"накопитель не сообщил о завершении стирания за " + Decimal(limitMs / 60'000) +
                        u" мин: проверьте его состояние и повторите стирание");
    context_.waiter.Wait(context_.pollMs);
  }
}

FirmwareEraseOutcome FirmwareRunSteps::Finish(FirmwareEraseOutcome::Ending ending, std::u16string text) {
  if (outcome_.eraseStarted) outcome_.elapsedMs = context_.waiter.NowMs() - eraseStartMs_;
  outcome_.ending = ending;
  outcome_.text = std::move(text);
  return std::move(outcome_);
}

}  // namespace trelvane
