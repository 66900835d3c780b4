#include "format/firmware_erase_text.h"

#include <array>
#include <variant>

#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

std::u16string TwoDigits(std::int64_t value) { return (value < 10 ? u"0" : u"") + Decimal(value); }

std::u16string HexWord(std::uint32_t value) {
  return HexByte(static_cast<std::uint8_t>(value >> 8)) + HexByte(static_cast<std::uint8_t>(value));
}

constexpr std::array<const char16_t*, 4> FindingKinds = {{
    u"не читается",
    u"не нули",
    u"не тот байт, что в остальных секторах",
    u"прежние данные",
}};

struct TechniqueRow {
  EraseMethodId method;
  const char16_t* nvme;
  const char16_t* ata;
};
constexpr std::array<TechniqueRow, 7> Techniques = {{
    {EraseMethodId::SanitizeCrypto, u"NVMe Sanitize, криптографическое стирание", u"ATA SANITIZE, CRYPTO SCRAMBLE EXT"},
    {EraseMethodId::SanitizeBlock, u"NVMe Sanitize, блочное стирание", u"ATA SANITIZE, BLOCK ERASE EXT"},
    {EraseMethodId::SanitizeOverwrite, u"NVMe Sanitize, перезапись нулями",
     u"ATA SANITIZE, OVERWRITE EXT (нулями)"},
    {EraseMethodId::FormatCrypto, u"NVMe Format NVM, криптографическое стирание", u""},
    {EraseMethodId::FormatUser, u"NVMe Format NVM, стирание данных пользователя", u""},
    {EraseMethodId::SecureErase, u"", u"ATA SECURITY ERASE UNIT, обычное"},
    {EraseMethodId::SecureEraseEnhanced, u"", u"ATA SECURITY ERASE UNIT, расширенное"},
}};

std::u16string RuleResult(const EraseProof& proof) {
  switch (proof.rule) {
    case ErasedRule::Zeros:
      return u"правило: все байты — нули";
    case ErasedRule::Uniform:
      if (!proof.uniformByte) return u"правило: один байт во всех секторах; однородных секторов нет";
      return u"правило: один байт во всех секторах; найден байт " + HexByte(*proof.uniformByte) + u"h";
    case ErasedRule::Changed:
      return u"правило: ни один сектор не совпадает с прежним содержимым; сравнено секторов: " +
             GroupDigits(static_cast<std::int64_t>(proof.sectorsCompared));
  }
  return {};
}

}  // namespace

std::u16string TechniqueText(EraseMethodId method, const DriveEraseFacts& facts) {
  const bool nvme = std::holds_alternative<NvmeEraseCapabilities>(facts);
  for (const TechniqueRow& row : Techniques)
    if (row.method == method) return nvme ? row.nvme : row.ata;
  return {};
}

std::u16string NistCategoryText(NistCategory category) {
  if (category == NistCategory::Purge) return u"Purge";
  if (category == NistCategory::Clear) return u"Clear";
  return u"нет";
}

std::u16string DurationText(std::int64_t milliseconds) {
  if (milliseconds < 1000) return Decimal(milliseconds < 0 ? 0 : milliseconds) + u" мс";
  const std::int64_t seconds = (milliseconds + 500) / 1000;
  const std::int64_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
  if (hours > 0) return Decimal(hours) + u" ч " + TwoDigits(minutes) + u" мин " + TwoDigits(rest) + u" с";
  if (minutes > 0) return Decimal(minutes) + u" мин " + TwoDigits(rest) + u" с";
  return Decimal(rest) + u" с";
}

std::u16string CommandRecordLine(const FirmwareCommandRecord& record) {
  std::u16string line = record.name + u" (" + HexByte(record.opcode) + u"h, " + HexWord(record.feature) + u"h): ";
  if (record.succeeded) line += u"выполнена за " + DurationText(record.elapsedMs);
  else line += u"ошибка (" + HexWord(record.status) + u"h): " + record.text + u", " + DurationText(record.elapsedMs);
  if (record.count > 1) line += u", запросов: " + DecimalUnsigned(record.count);
  return line;
}

std::u16string EstimateLine(const FirmwareEraseOutcome& outcome) {
  return u"Оценка накопителя: " + (outcome.estimateMs ? DurationText(*outcome.estimateMs) : u"не сообщается") +
         u"; заняло: " + DurationText(outcome.elapsedMs);
}

std::u16string ProofLine(const EraseProof& proof, bool wholeDisk) {
  return std::u16string(u"Проверка чтением (") + (wholeDisk ? u"весь диск" : u"выборка") +
         u"): проверено байт: " + GroupDigits(proof.bytesChecked) + u", ошибочных секторов: " +
         GroupDigits(proof.sectorsWrong) + u"; " + RuleResult(proof);
}

std::u16string FindingLine(const ProofFinding& finding) {
  return std::u16string(FindingKinds[static_cast<std::size_t>(finding.kind)]) + u": смещение " +
         GroupDigits(finding.offsetBytes) + u", байт: " + GroupDigits(finding.lengthBytes);
}

}  // namespace trelvane
