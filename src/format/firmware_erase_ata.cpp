// ATA SANITIZE and SECURITY ERASE UNIT, run to the drive's last word.

#include <array>

#include "ata/ata_erase_commands.h"
#include "format/firmware_erase_run.h"
#include "format/firmware_erase_steps.h"

namespace trelvane {

namespace {

using Ending = FirmwareEraseOutcome::Ending;


struct SanitizeRow {
  EraseMethodId method;
  const char16_t* name;
};
constexpr std::array<SanitizeRow, 3> SanitizeRows = {{
    {EraseMethodId::SanitizeCrypto, u"CRYPTO SCRAMBLE EXT"},
    {EraseMethodId::SanitizeBlock, u"BLOCK ERASE EXT"},
    {EraseMethodId::SanitizeOverwrite, u"OVERWRITE EXT"},
}};

// FAILURE MODE set: a failed operation can be left with SANITIZE STATUS EXT, not only with another
// sanitize. The overwrite writes a zero pattern once.
AtaCommand SanitizeCommandOf(EraseMethodId method, std::uint8_t selector) {
  const AtaSanitizeOptions options{true, false};
  if (method == EraseMethodId::SanitizeCrypto) return CryptoScrambleCommand(selector, options);
  if (method == EraseMethodId::SanitizeBlock) return BlockEraseCommand(selector, options);
  return OverwriteCommand(selector, AtaOverwriteOptions{}, options);
}

// A status read that fails with the drive's registers says the sanitize failed; without them, the
// status could not be read.
std::u16string SanitizePollFailure(const AtaResult& result) {
  if (!result.registersValid) return SanitizeFailureText(result);
  return SanitizeFailureText(result) + u"; " + SanitizeFailedRemedy;
}

PollAnswer JudgeSanitizeStatus(const AtaResult& result) {
  const AtaSanitizeStatus status = DecodeSanitizeStatus(result);
  if (status.completedWithoutError) return {PollAnswer::State::Completed, 1.0, {}};
  if (status.inProgress) return {PollAnswer::State::Working, status.progress / 65536.0, {}};
  return {};
}

}  // namespace

FirmwareEraseOutcome RunAtaSanitize(AtaDevice& device, std::uint8_t selector, EraseMethodId method,
                                    const FirmwareEraseContext& context) {
  FirmwareRunSteps steps(context);
  const SanitizeRow* row = nullptr;
  for (const SanitizeRow& candidate : SanitizeRows)
    if (candidate.method == method) row = &candidate;
  if (row == nullptr) return steps.Finish(Ending::Refused, NotThisMethod);

  steps.EraseStarts(std::nullopt);
  AtaResult result;
  if (!steps.SendAta(device, row->name, SanitizeCommandOf(method, selector), {}, result, SanitizeFailureText))
    return steps.Finish(Ending::Failed, steps.LastCommand().text);

  const auto read = [&]() -> PollAnswer {
    AtaResult status;
    if (!steps.SendAta(device, u"SANITIZE STATUS EXT", SanitizeStatusCommand(selector), {}, status,
                       SanitizePollFailure, true))
      return {PollAnswer::State::Failed, std::nullopt, steps.LastCommand().text};
    return JudgeSanitizeStatus(status);
  };
  return steps.Poll(read, PollLimitMs(std::nullopt));
}

namespace {

// The steps of a security erase after SET PASSWORD went out, and the password's removal after any
// of them failed.
class SecurityErase {
 public:
  SecurityErase(FirmwareRunSteps& steps, AtaDevice& device, std::uint8_t selector, const AtaSecurityState& before)
      : steps_(steps), device_(device), selector_(selector), before_(before) {}

  bool Send(const char16_t* name, const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result) {
    const auto text = [this](const AtaResult& failed) { return SecurityFailureText(failed, before_); };
    return steps_.SendAta(device_, name, command, data, result, text);
  }

  bool SetPassword() {
    AtaSecurityBlock block = SetPasswordBlock(AtaPasswordKind::User, SecurityErasePassword);
    AtaResult result;
    const bool ok = Send(u"SECURITY SET PASSWORD", SecuritySetPasswordCommand(selector_), block, result);
    // A SET PASSWORD whose answer was lost on the way may have set the password all the same; one the
    // system refused to pass on never reached the drive.
    passwordMaybeSet_ = ok || (!result.registersValid && !SecurityRequestRefusedBySystem(result));
    return ok;
  }

  bool Send(const char16_t* name, const AtaCommand& command, std::span<std::uint8_t> data) {
    AtaResult result;
    return Send(name, command, data, result);
  }

  FirmwareEraseOutcome Fail() {
    std::u16string text = steps_.LastCommand().text;
    if (passwordMaybeSet_) {
      AtaSecurityBlock block = DisablePasswordBlock(AtaPasswordKind::User, SecurityErasePassword);
      if (Send(u"SECURITY DISABLE PASSWORD", SecurityDisablePasswordCommand(selector_), block)) {
        steps_.Note(u"пароль ATA Security, установленный для стирания, снят");
      } else {
        const std::u16string left =
            u"пароль ATA Security, установленный для стирания, снять не удалось: снимите его сами (пароль "
            u"пользователя «" + std::u16string(SecurityErasePassword.begin(), SecurityErasePassword.end()) + u"»)";
        steps_.Note(left);
        text += u"; " + left;
      }
    }
    return steps_.Finish(Ending::Failed, std::move(text));
  }

 private:
  FirmwareRunSteps& steps_;
  AtaDevice& device_;
  std::uint8_t selector_;
  const AtaSecurityState& before_;
  bool passwordMaybeSet_ = false;
};

}  // namespace

FirmwareEraseOutcome RunAtaSecurityErase(AtaDevice& device, std::uint8_t selector, EraseMethodId method,
                                         const AtaEraseCapabilities& caps, const FirmwareEraseContext& context) {
  FirmwareRunSteps steps(context);
  if (method != EraseMethodId::SecureErase && method != EraseMethodId::SecureEraseEnhanced)
    return steps.Finish(Ending::Refused, NotThisMethod);
  if (std::optional<std::u16string> refusal = RefusalOf(method, DriveEraseFacts(caps)))
    return steps.Finish(Ending::Refused, std::move(*refusal));

  const bool enhanced = method == EraseMethodId::SecureEraseEnhanced;
  const AtaEraseTime& time = enhanced ? caps.enhancedEraseTime : caps.normalEraseTime;
  SecurityErase erase(steps, device, selector, caps.security);
  if (!erase.SetPassword()) return erase.Fail();
  if (!erase.Send(u"SECURITY ERASE PREPARE", SecurityErasePrepareCommand(selector), {})) return erase.Fail();

  std::optional<std::int64_t> estimateMs;
  if (time.kind == AtaEraseTime::Kind::Minutes) estimateMs = static_cast<std::int64_t>(time.minutes) * 60'000;
  steps.EraseStarts(estimateMs);
  AtaSecurityBlock unit = EraseUnitBlock(AtaPasswordKind::User, SecurityErasePassword, enhanced);
  // Blocks for as long as the erase takes; on success the drive takes the password off itself.
  if (!erase.Send(u"SECURITY ERASE UNIT", SecurityEraseUnitCommand(selector, SecurityEraseTimeoutSeconds(time)), unit))
    return erase.Fail();
  steps.Progress(1.0);
  return steps.Finish(Ending::Completed);
}

}  // namespace trelvane
