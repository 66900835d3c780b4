// The automatic choice of an erase method, the refusals and the NIST SP 800-88 category that
// depends on the drive, over crafted capabilities.

#include <gtest/gtest.h>

#include "format/firmware_erase_choice.h"
#include "test_support.h"

namespace trelvane {
namespace {

using M = EraseMethodId;

NvmeEraseCapabilities Nvme(std::uint32_t sanicap, bool format, std::uint8_t fna, std::uint32_t nn) {
  NvmeController controller;
  controller.sanitizeCapabilities = sanicap;
  controller.adminCommands = format ? 0x2 : 0;
  controller.formatAttributes = fna;
  controller.highestNamespaceId = nn;
  return EraseCapabilitiesOf(controller);
}

// The same, behind a system that stops Sanitize overwrite and the user data Format NVM (Windows).
NvmeEraseCapabilities NvmeOnWindows(std::uint32_t sanicap, bool format, std::uint8_t fna, std::uint32_t nn) {
  NvmeEraseCapabilities caps = Nvme(sanicap, format, fna, nn);
  caps.systemCarriesOverwrite = caps.systemCarriesUserDataFormat = false;
  return caps;
}

AtaEraseCapabilities Ata(bool crypto, bool block, AtaSecurityState security, std::uint16_t rotation = 1) {
  AtaEraseCapabilities caps;
  caps.sanitizeSupported = crypto || block;
  caps.cryptoScramble = crypto;
  caps.blockErase = block;
  caps.security = security;
  caps.rotationRate = rotation;
  return caps;
}

const AtaSecurityState Enhanced{.supported = true, .enhancedEraseSupported = true};
const std::u16string Frozen =
    u"команды ATA Security заблокированы до перезапуска накопителя (frozen): переведите компьютер в спящий режим "
    u"и разбудите его или переподключите накопитель";
const std::u16string NoneBuiltIn = u"накопитель не поддерживает стирание встроенными командами";
const std::u16string NotCarried =
    u"система не пропускает эту команду к накопителю NVMe (Windows передаёт только Sanitize с блочным или "
    u"криптографическим стиранием и Format NVM с криптографическим стиранием)";
const std::u16string FormatTakesAll =
    u"Format NVM этого накопителя стирает все пространства имён сразу, а их больше одного";

TEST(ChooseErase, FirstMethodTheDriveRunsNowWithItsReason) {
  const std::tuple<DriveEraseFacts, M, std::u16string> cases[] = {
      {Nvme(0x7, true, 0x4, 1), M::SanitizeCrypto, u"накопитель поддерживает криптографическое стирание"},
      {Nvme(0x2, true, 0x4, 1), M::SanitizeBlock, u"накопитель поддерживает блочное стирание"},
      {Nvme(0x4, true, 0x4, 1), M::FormatCrypto,
       u"накопитель поддерживает криптографическое стирание при форматировании (Format NVM)"},
      {Nvme(0, true, 0, 256), M::FormatUser,
       u"накопитель поддерживает стирание данных при форматировании (Format NVM)"},
      {Nvme(0, false, 0, 1), M::Zero, NoneBuiltIn},
      {NvmeOnWindows(0x4, true, 0x4, 1), M::FormatCrypto,
       u"накопитель поддерживает криптографическое стирание при форматировании (Format NVM)"},
      {NvmeOnWindows(0x4, true, 0, 1), M::Zero, u"встроенное стирание сейчас невозможно: " + NotCarried},
      {Nvme(0x1, true, 0x1, 2), M::Zero,
       u"встроенное стирание сейчас невозможно: Sanitize стирает все пространства имён накопителя, а их больше "
       u"одного"},
      {Ata(false, true, Enhanced), M::SanitizeBlock, u"накопитель поддерживает блочное стирание"},
      {Ata(false, false, Enhanced), M::SecureEraseEnhanced,
       u"накопитель поддерживает расширенное безопасное стирание (ATA Security)"},
      {Ata(false, false, {.supported = true, .frozen = true, .enhancedEraseSupported = true}), M::Zero,
       u"встроенное стирание сейчас невозможно: " + Frozen},
      {Ata(false, false, {.supported = true}), M::Zero, NoneBuiltIn},
      {Ata(true, true, Enhanced, 7200), M::Zero, u"накопитель с вращающимися дисками: стирание записью нулей"},
      {Ata(true, true, Enhanced, 0), M::Zero, u"накопитель не сообщает, что он твердотельный: стирание записью нулей"},
      {std::monostate{}, M::Zero, u"встроенные команды стирания этого накопителя недоступны"},
  };
  for (const auto& [facts, method, reason] : cases) {
    const EraseChoice choice = ChooseErase(facts);
    EXPECT_EQ(choice.method, method) << CommandLineName(method);
    EXPECT_EQ(choice.reason, reason);
  }
}

TEST(ChooseErase, RefusalsNameTheCauseAndTheRemedy) {
  const std::tuple<M, DriveEraseFacts, std::optional<std::u16string>> cases[] = {
      {M::FormatUser, Nvme(0, true, 0x1, 2), FormatTakesAll},
      {M::FormatUser, Nvme(0, true, 0x2, 4), FormatTakesAll},
      {M::SanitizeOverwrite, NvmeOnWindows(0x4, true, 0, 1), NotCarried},
      {M::FormatCrypto, Nvme(0, true, 0x1, 1), u"накопитель не поддерживает этот способ стирания"},
      {M::FormatCrypto, Nvme(0, true, 0x4, 8), std::nullopt},  // a format of this namespace alone
      {M::FormatUser, Ata(true, true, Enhanced), u"этот способ есть только у накопителей NVMe"},
      {M::SecureErase, Ata(false, false, {.supported = true, .frozen = true}), Frozen},
      {M::SecureErase, Ata(false, false, {.supported = true, .enabled = true, .locked = true}),
       u"накопитель заблокирован паролем ATA Security: сначала разблокируйте его"},
      {M::SecureEraseEnhanced, Ata(false, false, {.supported = true, .enabled = true, .enhancedEraseSupported = true}),
       u"на накопителе уже установлен пароль ATA Security: снимите его перед стиранием"},
  };
  for (const auto& [method, facts, refusal] : cases)
    EXPECT_EQ(RefusalOf(method, facts), refusal) << CommandLineName(method);
  AtaEraseCapabilities encrypting = Ata(false, false, Enhanced);
  EXPECT_EQ(NistCategoryOf(M::SecureEraseEnhanced, encrypting), NistCategory::Clear);
  encrypting.encryptsAllUserData = true;
  EXPECT_EQ(NistCategoryOf(M::SecureEraseEnhanced, encrypting), NistCategory::Purge);
  EXPECT_EQ(NistCategoryOf(M::Quick, encrypting), NistCategory::None);
  EXPECT_EQ(NistCategoryOf(M::Zero, encrypting), NistCategory::Clear);
}

}  // namespace
}  // namespace trelvane
