// The automatic choice of an erase method, the refusals, the NIST SP 800-88 categories and the
// command-line names, over crafted drive capabilities.

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
const std::u16string Crypto = u"накопитель поддерживает криптографическое стирание";
const std::u16string NoneBuiltIn = u"накопитель не поддерживает стирание встроенными командами";
const std::u16string Unsupported = u"накопитель не поддерживает этот способ стирания";
const std::u16string FormatTakesAll =
    u"Format NVM этого накопителя стирает все пространства имён сразу, а их больше одного";

TEST(ChooseErase, FirstMethodTheDriveRunsNowWithItsReason) {
  const std::tuple<DriveEraseFacts, M, std::u16string> cases[] = {
      {Nvme(0x7, true, 0x4, 1), M::SanitizeCrypto, Crypto},
      {Nvme(0x2, true, 0x4, 1), M::SanitizeBlock, u"накопитель поддерживает блочное стирание"},
      {Nvme(0x4, true, 0x4, 1), M::FormatCrypto,
       u"накопитель поддерживает криптографическое стирание при форматировании (Format NVM)"},
      {Nvme(0, true, 0, 256), M::FormatUser,
       u"накопитель поддерживает стирание данных при форматировании (Format NVM)"},
      {Nvme(0, false, 0, 1), M::Zero, NoneBuiltIn},
      {Nvme(0x1, true, 0x1, 2), M::Zero,
       u"встроенное стирание сейчас невозможно: Sanitize стирает все пространства имён накопителя, а их больше "
       u"одного"},
      {Ata(true, true, Enhanced), M::SanitizeCrypto, Crypto},
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
      {M::Quick, std::monostate{}, std::nullopt},
      {M::FormatUser, Nvme(0, true, 0x1, 2), FormatTakesAll},
      {M::FormatUser, Nvme(0, true, 0x2, 4), FormatTakesAll},
      {M::FormatCrypto, Nvme(0, true, 0x1, 1), Unsupported},
      {M::FormatCrypto, Nvme(0, true, 0x4, 8), std::nullopt},  // a format of this namespace alone
      {M::SecureErase, Nvme(0x7, true, 0, 1), u"этот способ есть только у накопителей ATA"},
      {M::FormatUser, Ata(true, true, Enhanced), u"этот способ есть только у накопителей NVMe"},
      {M::SanitizeOverwrite, Ata(true, true, Enhanced), Unsupported},
      {M::SecureErase, Ata(false, false, {.supported = true, .frozen = true}), Frozen},
      {M::SecureErase, Ata(false, false, {.supported = true, .enabled = true, .locked = true}),
       u"накопитель заблокирован паролем ATA Security: сначала разблокируйте его"},
      {M::SecureEraseEnhanced, Ata(false, false, {.supported = true, .enabled = true, .enhancedEraseSupported = true}),
       u"на накопителе уже установлен пароль ATA Security: снимите его перед стиранием"},
      {M::SecureErase, Ata(false, false, {.supported = true, .countExpired = true}),
       u"исчерпаны попытки ввода пароля ATA Security: выключите и включите накопитель"},
  };
  for (const auto& [method, facts, refusal] : cases)
    EXPECT_EQ(RefusalOf(method, facts), refusal) << CommandLineName(method);
}

TEST(ChooseErase, NamesRoundTripAndNistCategories) {
  AtaEraseCapabilities encrypting = Ata(false, false, Enhanced);
  encrypting.encryptsAllUserData = true;
  using N = NistCategory;
  const std::tuple<std::string, M, N, N> cases[] = {
      {"auto", M::Auto, N::None, N::None},
      {"zero", M::Zero, N::Clear, N::Clear},
      {"quick", M::Quick, N::Clear, N::Clear},
      {"sanitize-crypto", M::SanitizeCrypto, N::Purge, N::Purge},
      {"sanitize-block", M::SanitizeBlock, N::Purge, N::Purge},
      {"sanitize-overwrite", M::SanitizeOverwrite, N::Clear, N::Clear},
      {"format-crypto", M::FormatCrypto, N::Purge, N::Purge},
      {"format-user", M::FormatUser, N::Clear, N::Clear},
      {"secure-erase", M::SecureErase, N::Clear, N::Clear},
      {"secure-erase-enhanced", M::SecureEraseEnhanced, N::Clear, N::Purge},
  };
  for (const auto& [name, method, plain, onEncrypting] : cases) {
    EXPECT_EQ(CommandLineName(method), name);
    EXPECT_EQ(MethodFromCommandLineName(name), method);
    EXPECT_EQ(NistCategoryOf(method, Ata(false, false, Enhanced)), plain) << name;
    EXPECT_EQ(NistCategoryOf(method, encrypting), onEncrypting) << name;
  }
  EXPECT_FALSE(MethodFromCommandLineName("Zero"));
}

}  // namespace
}  // namespace trelvane
