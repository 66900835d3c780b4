// The firmware erase commands field by field (ATA SANITIZE DEVICE and Security against ACS-3, COUNT
// bits 15 and 6 as ACS-4 adds them; NVMe Sanitize, Format NVM, log 81h against NVM Express Base
// 2.0), and what IDENTIFY data, SANITIZE STATUS EXT and the Sanitize Status log say.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "ata/ata_erase_capabilities.h"
#include "ata/ata_erase_commands.h"
#include "nvme/nvme_erase_capabilities.h"
#include "nvme/nvme_erase_commands.h"
#include "test_support.h"

namespace trelvane {
namespace {

using Block = std::array<std::uint8_t, 512>;
constexpr auto None = AtaDirection::None;
constexpr auto Out = AtaDirection::Out;

// FEATURE, COUNT, LBA, DEVICE, COMMAND, data direction.
using AtaFields = std::tuple<std::uint16_t, std::uint16_t, std::uint64_t, std::uint8_t, std::uint8_t, AtaDirection>;

TEST(FirmwareEraseCommands, AtaRegistersOfEachCommand) {
  const std::pair<AtaCommand, AtaFields> cases[] = {
      {SanitizeStatusCommand(1, true), {0x0000, 0x0001, 0, 0xF0, 0xB4, None}},
      {CryptoScrambleCommand(0, {true, true}), {0x0011, 0x8010, 0x43727970, 0xE0, 0xB4, None}},
      {BlockEraseCommand(1), {0x0012, 0x0000, 0x426B4572, 0xF0, 0xB4, None}},
      {OverwriteCommand(0, {}), {0x0014, 0x0001, 0x4F57'0000'0000, 0xE0, 0xB4, None}},
      {OverwriteCommand(0, {0xA5A5'0F0F, 16, true, true}), {0x0014, 0x00C0, 0x4F57'A5A5'0F0F, 0xE0, 0xB4, None}},
      {OverwriteCommand(0, {7, 0, false, false}, {true, false}),
       {0x0014, 0x0011, 0x4F57'0000'0007, 0xE0, 0xB4, None}},
      {SecuritySetPasswordCommand(0), {0, 1, 0, 0xA0, 0xF1, Out}},
      {SecurityErasePrepareCommand(1), {0, 0, 0, 0xB0, 0xF3, None}},
      {SecurityEraseUnitCommand(0, 7200), {0, 1, 0, 0xA0, 0xF4, Out}},
      {SecurityDisablePasswordCommand(1), {0, 1, 0, 0xB0, 0xF6, Out}},
  };
  for (const auto& [c, fields] : cases) {
    EXPECT_EQ(AtaFields(c.features, c.count, c.lba, c.device, c.command, c.direction), fields);
    EXPECT_EQ(c.extended, c.command == 0xB4);
    EXPECT_EQ(c.selector, c.device >> 4 & 1);
  }
  EXPECT_EQ(SecurityEraseUnitCommand(0, 7200).timeoutSeconds, 7200u);
}

TEST(FirmwareEraseCommands, SecurityBlocksCarryControlWordPasswordAndIdentifier) {
  const std::string longest(32, 'x');
  const std::tuple<AtaSecurityBlock, std::uint16_t, std::string, std::uint16_t> cases[] = {
      {SetPasswordBlock(AtaPasswordKind::User, "pw", true), 0x0100, "pw", 0},
      {SetPasswordBlock(AtaPasswordKind::Master, "m", false, 0xFFFE), 0x0001, "m", 0xFFFE},
      {EraseUnitBlock(AtaPasswordKind::Master, "pw", true), 0x0003, "pw", 0},
      {DisablePasswordBlock(AtaPasswordKind::User, longest + "y"), 0x0000, longest, 0},
  };
  for (const auto& [block, control, password, word17] : cases) {
    SCOPED_TRACE(password);
    EXPECT_EQ(block[0] | block[1] << 8, control);
    EXPECT_EQ(std::string(block.begin() + 2, block.begin() + 34),
              password + std::string(32 - password.size(), '\0'));
    EXPECT_EQ(block[34] | block[35] << 8, word17);
    EXPECT_TRUE(std::all_of(block.begin() + 36, block.end(), [](std::uint8_t b) { return b == 0; }));
  }
}

TEST(FirmwareEraseCommands, NvmeDwordsOfEachCommand) {
  using A = NvmeSanitizeAction;
  using Fields = std::tuple<std::uint8_t, std::uint32_t, std::uint32_t, std::uint32_t>;  // opcode, NSID, CDW10, 11
  const std::pair<NvmeCommand, Fields> cases[] = {
      {SanitizeCommand(A::ExitFailureMode), {0x84, 0, 0x001, 0}},
      {SanitizeCommand(A::BlockErase, {.allowUnrestrictedExit = true, .overwritePattern = 9}), {0x84, 0, 0x00A, 0}},
      {SanitizeCommand(A::CryptoErase, {.noDeallocate = true}), {0x84, 0, 0x204, 0}},
      {SanitizeCommand(A::Overwrite,
                       {.overwritePasses = 16, .overwritePattern = 0xDEADBEEF, .invertBetweenPasses = true}),
       {0x84, 0, 0x103, 0xDEADBEEF}},
      {SanitizeCommand(A::Overwrite, {.overwritePasses = 3}), {0x84, 0, 0x033, 0}},
      {FormatNvmCommand(1, 4, NvmeSecureErase::UserData), {0x80, 1, 0x204, 0}},
      {FormatNvmCommand(NvmeAllNamespaces, 33, NvmeSecureErase::Cryptographic), {0x80, 0xFFFFFFFFu, 0x2401, 0}},
      // Metadata at the end of each block (MSET), protection type 1 in the first bytes (PI, PIL).
      {FormatNvmCommand(1, 1, NvmeSecureErase::UserData, {true, 1, true}), {0x80, 1, 0x331, 0}},
      {FormatNvmCommand(2, 0, NvmeSecureErase::Cryptographic, {false, 3, false}), {0x80, 2, 0x460, 0}},
      {SanitizeLogCommand(), {0x02, 0xFFFFFFFFu, 0x007F0081, 0}},
  };
  for (const auto& [c, fields] : cases) EXPECT_EQ(Fields(c.opcode, c.namespaceId, c.cdw10, c.cdw11), fields);
}

// Crypto scramble, block erase, overwrite; security enabled, locked, frozen, count expired, enhanced
// erase; the normal erase's minutes and timeout; the rotation rate.
using AtaFacts = std::tuple<std::array<bool, 8>, std::uint32_t, std::uint32_t, std::uint16_t>;

AtaFacts FactsOf(const Block& identify) {
  const AtaEraseCapabilities c = DecodeEraseCapabilities(identify);
  const AtaSecurityState& s = c.security;
  return {{c.cryptoScramble, c.blockErase, c.overwrite, s.enabled, s.locked, s.frozen, s.countExpired,
           s.enhancedEraseSupported},
          c.normalEraseTime.minutes, SecurityEraseTimeoutSeconds(c.normalEraseTime), c.rotationRate};
}

TEST(FirmwareEraseCapabilities, AtaRealDrivesAndCraftedWords) {
  const std::pair<std::string, AtaFacts> drives[] = {
      {"FUJITSU_MHY2120BH--0084000D", {{0, 0, 0, 0, 0, 1, 0, 0}, 120, 10800, 0}},
      {"INTEL_SSDSA2CW120G3--4PC10302", {{0, 0, 0, 1, 0, 1, 0, 1}, 2, 180, 1}},
      {"ST320410A--3.39", {{0, 0, 0, 0, 0, 0, 0, 0}, 0, 86400, 0}},
  };
  for (const auto& [drive, facts] : drives) {
    Block block{};
    const auto bytes = testing::ReadBinaryFile(testing::RealDriveFile(drive + ".identify.bin"));
    std::copy_n(bytes.begin(), block.size(), block.begin());
    EXPECT_EQ(FactsOf(block), facts) << drive;
  }
  // Words 59, 89 and 128, with word 82 saying that security is supported.
  const std::pair<std::array<std::uint16_t, 3>, AtaFacts> crafted[] = {
      {{0xF000, 0x00FE, 0x0001}, {{1, 1, 1, 0, 0, 0, 0, 0}, 508, 45720, 0}},
      {{0x2000, 0x00FF, 0x0015}, {{0, 0, 0, 0, 1, 0, 1, 0}, 508, 86400, 0}},  // no bit 12; longer than 508
      {{0x9000, 0x8001, 0x0021}, {{0, 1, 0, 0, 0, 0, 0, 1}, 2, 180, 0}},
      {{0x7000, 0xFFFF, 0x0001}, {{1, 0, 1, 0, 0, 0, 0, 0}, 65532, 5897880, 0}},
  };
  for (const auto& [words, facts] : crafted) {
    Block block{};
    const std::pair<std::size_t, std::uint16_t> set[] = {
        {59, words[0]}, {82, 0x4002}, {89, words[1]}, {128, words[2]}};
    for (const auto& [word, value] : set) {
      block[2 * word] = static_cast<std::uint8_t>(value);
      block[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    EXPECT_EQ(FactsOf(block), facts) << words[0];
  }
}

TEST(FirmwareEraseCapabilities, AtaSanitizeStatusAndFailureTexts) {
  const AtaSanitizeStatus running = DecodeSanitizeStatus({0x50, 0, 0x4000, 0x8000, 0x40, true, 0});
  const AtaSanitizeStatus done = DecodeSanitizeStatus({0x50, 0, 0xB000, 0xFFFF, 0x40, true, 0});
  EXPECT_TRUE(running.inProgress && !running.completedWithoutError && !running.frozen && running.progress == 0x8000);
  EXPECT_TRUE(done.completedWithoutError && done.frozen && done.antifreeze && !done.inProgress);

  const std::u16string frozenText =
      u"команды ATA Security заблокированы до перезапуска накопителя (frozen): переведите компьютер в спящий режим "
      u"и разбудите его или переподключите накопитель";
  const std::tuple<AtaResult, AtaSecurityState, std::u16string, std::u16string> cases[] = {
      {{0x51, 0x04, 0, 0x01, 0x40, true, 0}, {.supported = true, .frozen = true},
       u"Sanitize не удался: часть секторов осталась не стертой", frozenText},
      {{0x51, 0x84, 0, 0x07, 0x40, true, 0}, {.supported = true}, u"накопитель отверг команду Sanitize (причина 07h)",
       u"накопитель отверг команду ATA Security: неверный пароль или порядок команд"},
      {{0x51, 0x80, 0, 0, 0x40, true, 0}, {.supported = true, .frozen = true},
       u"ошибка передачи данных по интерфейсу (ICRC)", u"ошибка передачи данных по интерфейсу (ICRC)"},
      {{0, 0, 0, 0, 0, false, 121}, {}, u"команда не дошла до накопителя (системная ошибка 121)",
       u"команда не дошла до накопителя (системная ошибка 121)"},
  };
  for (const auto& [result, before, sanitize, security] : cases) {
    EXPECT_EQ(SanitizeFailureText(result), sanitize);
    EXPECT_EQ(SecurityFailureText(result, before), security);
  }
}

TEST(FirmwareEraseCapabilities, NvmeControllerLogAndStatusTexts) {
  std::array<std::uint8_t, 4096> data{};
  const auto qemu = testing::ReadBinaryFile(testing::TestDataFile("testdata/nvme/qemu-4k.identify-controller.bin"));
  std::copy_n(qemu.begin(), data.size(), data.begin());
  const NvmeEraseCapabilities guest = EraseCapabilitiesOf(DecodeIdentifyController(data), 1u);
  EXPECT_TRUE(guest.formatNvm && !guest.sanitizeCrypto && !guest.sanitizeBlock && !guest.formatAppliesToAll);
  EXPECT_EQ(guest.highestNamespaceId, 256u);
  EXPECT_EQ(guest.NamespacesAtStake(), 1u);

  // SSTAT 4 (completed, media not deallocated), 3 overwrite passes, global data erased.
  std::array<std::uint8_t, 512> log{0x00, 0x40, 0x1C, 0x01, 0x04, 0x02, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x3C, 0, 0, 0,
                                    0x05, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  const NvmeSanitizeLog s = DecodeSanitizeLog(log);
  EXPECT_EQ((std::array<std::uint32_t, 5>{s.progress, s.state, s.overwritePassesDone, s.globalDataErased,
                                          s.commandDword10}),
            (std::array<std::uint32_t, 5>{0x4000, 4, 3, 1, 0x204}));
  EXPECT_EQ((std::array{s.overwriteSeconds, s.blockEraseSeconds, s.cryptoEraseSeconds,
                        s.cryptoEraseNoDeallocateSeconds}),  // FFFFFF05h is a figure, FFFFFFFFh none
            (std::array<std::optional<std::uint32_t>, 4>{std::nullopt, 60u, 0xFFFFFF05u, std::nullopt}));

  const std::pair<std::uint16_t, std::u16string> texts[] = {
      {0x4001, u"контроллер не поддерживает эту команду"},  // QEMU's answer to Sanitize, DNR set
      {0x0123, u"Sanitize запрещен, пока включена область постоянной памяти (PMR)"},
      {0x0131, u"контроллер вернул ошибку (тип 01h, код 31h)"},
  };
  for (const auto& [status, text] : texts) EXPECT_EQ(NvmeStatusText(status), text) << status;
  EXPECT_EQ(NvmeStatusText(0, 5), u"команда не дошла до контроллера (системная ошибка 5)");
}

}  // namespace
}  // namespace trelvane
