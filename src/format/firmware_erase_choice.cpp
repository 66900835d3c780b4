#include "format/firmware_erase_choice.h"

#include <array>
#include <span>
#include <utility>

namespace trelvane {

namespace {

struct MethodRow {
  EraseMethodId method;
  std::string_view name;
};
constexpr std::array<MethodRow, 10> Methods = {{
    {EraseMethodId::Auto, "auto"},
    {EraseMethodId::Zero, "zero"},
    {EraseMethodId::Quick, "quick"},
    {EraseMethodId::SanitizeCrypto, "sanitize-crypto"},
    {EraseMethodId::SanitizeBlock, "sanitize-block"},
    {EraseMethodId::SanitizeOverwrite, "sanitize-overwrite"},
    {EraseMethodId::FormatCrypto, "format-crypto"},
    {EraseMethodId::FormatUser, "format-user"},
    {EraseMethodId::SecureErase, "secure-erase"},
    {EraseMethodId::SecureEraseEnhanced, "secure-erase-enhanced"},
}};

constexpr const char16_t* Unsupported = u"накопитель не поддерживает этот способ стирания";
constexpr const char16_t* NoCommands = u"встроенные команды стирания этого накопителя недоступны";

// A refusal, and whether the drive lacks the method altogether or only cannot run it now.
struct Refusal {
  bool unsupported;
  std::u16string text;
};
using MaybeRefusal = std::optional<Refusal>;

bool IsSanitize(EraseMethodId method) {
  return method == EraseMethodId::SanitizeCrypto || method == EraseMethodId::SanitizeBlock ||
         method == EraseMethodId::SanitizeOverwrite;
}
bool IsFormat(EraseMethodId method) {
  return method == EraseMethodId::FormatCrypto || method == EraseMethodId::FormatUser;
}
bool IsSecurity(EraseMethodId method) {
  return method == EraseMethodId::SecureErase || method == EraseMethodId::SecureEraseEnhanced;
}

MaybeRefusal NvmeRefusal(EraseMethodId method, const NvmeEraseCapabilities& caps) {
  if (IsSecurity(method)) return Refusal{true, u"этот способ есть только у накопителей ATA"};
  const bool supported = (method == EraseMethodId::SanitizeCrypto && caps.sanitizeCrypto) ||
                         (method == EraseMethodId::SanitizeBlock && caps.sanitizeBlock) ||
                         (method == EraseMethodId::SanitizeOverwrite && caps.sanitizeOverwrite) ||
                         (method == EraseMethodId::FormatCrypto && caps.formatNvm && caps.formatCryptoErase) ||
                         (method == EraseMethodId::FormatUser && caps.formatNvm);
  if (!supported) return Refusal{true, Unsupported};
  if ((method == EraseMethodId::SanitizeOverwrite && !caps.systemCarriesOverwrite) ||
      (method == EraseMethodId::FormatUser && !caps.systemCarriesUserDataFormat))
    return Refusal{false, u"система не пропускает эту команду к накопителю NVMe (Windows передаёт только Sanitize с "
                          u"блочным или криптографическим стиранием и Format NVM с криптографическим стиранием)"};
  // Sanitize always takes the whole NVM subsystem; a format, when the controller says so.
  const bool manyNamespaces = caps.NamespacesAtStake() > 1;
  if (IsSanitize(method) && manyNamespaces)
    return Refusal{false, u"Sanitize стирает все пространства имён накопителя, а их больше одного"};
  if (IsFormat(method) && manyNamespaces && (caps.formatAppliesToAll || caps.secureEraseAppliesToAll))
    return Refusal{false, u"Format NVM этого накопителя стирает все пространства имён сразу, а их больше одного"};
  return std::nullopt;
}

MaybeRefusal AtaRefusal(EraseMethodId method, const AtaEraseCapabilities& caps) {
  if (IsFormat(method)) return Refusal{true, u"этот способ есть только у накопителей NVMe"};
  const AtaSecurityState& security = caps.security;
  const bool supported = (method == EraseMethodId::SanitizeCrypto && caps.cryptoScramble) ||
                         (method == EraseMethodId::SanitizeBlock && caps.blockErase) ||
                         (method == EraseMethodId::SanitizeOverwrite && caps.overwrite) ||
                         (method == EraseMethodId::SecureErase && security.supported) ||
                         (method == EraseMethodId::SecureEraseEnhanced && security.supported &&
                          security.enhancedEraseSupported);
  if (!supported) return Refusal{true, Unsupported};
  if (!IsSecurity(method)) return std::nullopt;
  if (std::optional<std::u16string> hindrance = SecurityHindrance(security)) return Refusal{false, *hindrance};
  // The erase sets a password of its own first; a password already set belongs to someone else.
  if (security.enabled)
    return Refusal{false, u"на накопителе уже установлен пароль ATA Security: снимите его перед стиранием"};
  return std::nullopt;
}

MaybeRefusal RefusalDetail(EraseMethodId method, const DriveEraseFacts& facts) {
  if (method == EraseMethodId::Auto || method == EraseMethodId::Zero || method == EraseMethodId::Quick)
    return std::nullopt;
  if (const auto* nvme = std::get_if<NvmeEraseCapabilities>(&facts)) return NvmeRefusal(method, *nvme);
  if (const auto* ata = std::get_if<AtaEraseCapabilities>(&facts)) return AtaRefusal(method, *ata);
  return Refusal{true, NoCommands};
}

struct ChoiceRow {
  EraseMethodId method;
  const char16_t* reason;
};
constexpr std::array<ChoiceRow, 4> NvmeChoices = {{
    {EraseMethodId::SanitizeCrypto, u"накопитель поддерживает криптографическое стирание"},
    {EraseMethodId::SanitizeBlock, u"накопитель поддерживает блочное стирание"},
    {EraseMethodId::FormatCrypto,
     u"накопитель поддерживает криптографическое стирание при форматировании (Format NVM)"},
    {EraseMethodId::FormatUser, u"накопитель поддерживает стирание данных при форматировании (Format NVM)"},
}};
constexpr std::array<ChoiceRow, 3> SolidStateAtaChoices = {{
    {EraseMethodId::SanitizeCrypto, u"накопитель поддерживает криптографическое стирание"},
    {EraseMethodId::SanitizeBlock, u"накопитель поддерживает блочное стирание"},
    {EraseMethodId::SecureEraseEnhanced, u"накопитель поддерживает расширенное безопасное стирание (ATA Security)"},
}};

// The first row the drive runs now; otherwise zero fill, saying why when a row was only held back.
EraseChoice FirstOf(std::span<const ChoiceRow> rows, const DriveEraseFacts& facts) {
  std::optional<std::u16string> heldBack;
  for (const ChoiceRow& row : rows) {
    const MaybeRefusal refusal = RefusalDetail(row.method, facts);
    if (!refusal) return {row.method, row.reason};
    if (!refusal->unsupported && !heldBack) heldBack = refusal->text;
  }
  if (heldBack) return {EraseMethodId::Zero, u"встроенное стирание сейчас невозможно: " + *heldBack};
  return {EraseMethodId::Zero, u"накопитель не поддерживает стирание встроенными командами"};
}

}  // namespace

std::string_view CommandLineName(EraseMethodId method) {
  for (const MethodRow& row : Methods)
    if (row.method == method) return row.name;
  return {};
}

std::optional<EraseMethodId> MethodFromCommandLineName(std::string_view name) {
  for (const MethodRow& row : Methods)
    if (row.name == name) return row.method;
  return std::nullopt;
}

NistCategory NistCategoryOf(EraseMethodId method, const DriveEraseFacts& facts) {
  switch (method) {
    case EraseMethodId::Auto:
    case EraseMethodId::Quick:  // the middle of the drive keeps its data: no sanitization at all
      return NistCategory::None;
    case EraseMethodId::SanitizeCrypto:
    case EraseMethodId::SanitizeBlock:
    case EraseMethodId::FormatCrypto:
      return NistCategory::Purge;
    case EraseMethodId::SecureEraseEnhanced: {
      const auto* ata = std::get_if<AtaEraseCapabilities>(&facts);
      return ata != nullptr && ata->encryptsAllUserData ? NistCategory::Purge : NistCategory::Clear;
    }
    default:
      return NistCategory::Clear;
  }
}

std::optional<std::u16string> RefusalOf(EraseMethodId method, const DriveEraseFacts& facts) {
  MaybeRefusal refusal = RefusalDetail(method, facts);
  if (!refusal) return std::nullopt;
  return std::move(refusal->text);
}

EraseChoice ChooseErase(const DriveEraseFacts& facts) {
  if (std::holds_alternative<NvmeEraseCapabilities>(facts)) return FirstOf(NvmeChoices, facts);
  if (const auto* ata = std::get_if<AtaEraseCapabilities>(&facts)) {
    if (ata->SolidState()) return FirstOf(SolidStateAtaChoices, facts);
    if (ata->rotationRate == 0)
      return {EraseMethodId::Zero, u"накопитель не сообщает, что он твердотельный: стирание записью нулей"};
    return {EraseMethodId::Zero, u"накопитель с вращающимися дисками: стирание записью нулей"};
  }
  return {EraseMethodId::Zero, NoCommands};
}

}  // namespace trelvane
