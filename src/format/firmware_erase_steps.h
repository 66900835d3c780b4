#pragma once
// What every firmware erase run does around its commands: sends each one through the drive's
// pass-through and keeps it with its completion and time, tells progress, polls at intervals until
// the drive gives its last word, and closes the outcome. The sequences themselves are in
// firmware_erase_nvme.cpp and firmware_erase_ata.cpp.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "format/firmware_erase_run.h"

namespace trelvane {

inline constexpr const char16_t* NotThisMethod = u"накопитель не поддерживает этот способ стирания";
// What a drive in the sanitize failed state takes: no writes until a sanitize completes (or, with
// AUSE or FAILURE MODE set as this program sends them, until the failure mode is left).
inline constexpr const char16_t* SanitizeFailedRemedy =
    u"накопитель остаётся в состоянии сбоя Sanitize и не принимает запись: запустите стирание этим "
    u"способом снова; если сбой повторится, накопитель неисправен";

// What one status read of a poll found.
struct PollAnswer {
  enum class State { Working, Completed, Failed };
  State state = State::Working;
  std::optional<double> shareDone;  // the drive's progress, when it gives one
  std::u16string failure;           // for Failed
};

class FirmwareRunSteps {
 public:
  explicit FirmwareRunSteps(const FirmwareEraseContext& context) : context_(context) {}

  // Sends `command` and records it under `name`. A repeated status read (`joinPoll`) adds to the
  // record before it when that one has the same name. True when the controller completed it with
  // success; the completion is left in `completion`.
  bool SendNvme(NvmeDevice& device, std::u16string name, const NvmeCommand& command, std::span<std::uint8_t> data,
                NvmeCompletion& completion, bool joinPoll = false);
  // The same for an ATA command; `failureText` decodes a failed completion.
  bool SendAta(AtaDevice& device, std::u16string name, const AtaCommand& command, std::span<std::uint8_t> data,
               AtaResult& result, const std::function<std::u16string(const AtaResult&)>& failureText,
               bool joinPoll = false);

  // The erasing command goes out now: the time from here is the erase's, Stop has no effect.
  void EraseStarts(std::optional<std::int64_t> estimateMs);
  void Progress(std::optional<double> shareDone);
  // Reads the status with `read` at once and then every poll, until it says completed or failed,
  // or until `limitMs` after the erase started has passed without either.
  FirmwareEraseOutcome Poll(const std::function<PollAnswer()>& read, std::int64_t limitMs);

  void Note(std::u16string note) { outcome_.notes.push_back(std::move(note)); }
  const FirmwareCommandRecord& LastCommand() const { return outcome_.commands.back(); }
  FirmwareEraseOutcome Finish(FirmwareEraseOutcome::Ending ending, std::u16string text = {});

 private:
  // The record of a command sent at `startMs`: a new one, or for a repeated status read the last.
  FirmwareCommandRecord& Record(std::u16string name, bool joinPoll, std::int64_t startMs);

  const FirmwareEraseContext& context_;
  FirmwareEraseOutcome outcome_;
  std::int64_t eraseStartMs_ = 0;
  std::int64_t recordStartMs_ = 0;  // when the last record's first command went out
};

// How long to wait for a drive's last word: three times its estimate, at least an hour; two days
// when it gave none (an overwrite of a large disk may take a day).
std::int64_t PollLimitMs(std::optional<std::int64_t> estimateMs);

}  // namespace trelvane
