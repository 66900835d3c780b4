#include "ata/ata_erase_commands.h"

#include <algorithm>

#include "ata/ata_commands.h"
#include "os/bytes.h"

namespace trelvane {

namespace {

// SANITIZE DEVICE (B4h), a 48-bit command with no data; FEATURE names the sub-command:
//   FEATURE  0000h STATUS EXT   0011h CRYPTO SCRAMBLE EXT   0012h BLOCK ERASE EXT   0014h OVERWRITE EXT
//   COUNT    bit 15 ZONED NO RESET, bit 7 INVERT PATTERN BETWEEN OVERWRITE PASSES, bit 6 DEFINITIVE
//            ENDING PATTERN, bit 4 FAILURE MODE, bits 3:0 OVERWRITE PASS COUNT (0 = 16);
//            STATUS EXT: bit 0 CLEAR SANITIZE OPERATION FAILED
//   LBA      the sub-command's signature, which guards against a stray FEATURE value
//   DEVICE   bit 6 set, bit 4 the device behind the port
constexpr std::uint8_t SanitizeOpcode = 0xB4;
constexpr std::uint16_t StatusFeature = 0x0000;
constexpr std::uint16_t CryptoScrambleFeature = 0x0011;
constexpr std::uint16_t BlockEraseFeature = 0x0012;
constexpr std::uint16_t OverwriteFeature = 0x0014;
constexpr std::uint64_t CryptoScrambleSignature = 0x43727970;  // "Cryp"
constexpr std::uint64_t BlockEraseSignature = 0x426B4572;      // "BkEr"
constexpr std::uint64_t OverwriteSignature = 0x4F57;           // "OW", LBA 47:32

constexpr std::uint16_t ClearFailedBit = 1u << 0;
constexpr std::uint16_t FailureModeBit = 1u << 4;
constexpr std::uint16_t DefinitiveEndingBit = 1u << 6;
constexpr std::uint16_t InvertPatternBit = 1u << 7;
constexpr std::uint16_t ZonedNoResetBit = 1u << 15;
constexpr std::uint8_t MaximumOverwritePasses = 16;

// The sanitize commands return once the drive has taken the operation; a drive in standby spins up
// first.
constexpr std::uint32_t SanitizeSeconds = 30;

// SECURITY commands: 28-bit, FEATURE, LBA unused; COUNT 1 for the one 512-byte block of the
// data-out commands.
constexpr std::uint8_t SecuritySetPasswordOpcode = 0xF1;
constexpr std::uint8_t SecurityErasePrepareOpcode = 0xF3;
constexpr std::uint8_t SecurityEraseUnitOpcode = 0xF4;
constexpr std::uint8_t SecurityDisablePasswordOpcode = 0xF6;
constexpr std::uint32_t SecuritySeconds = 30;

// The data-out block of SET PASSWORD, ERASE UNIT and DISABLE PASSWORD (512 bytes):
//   word 0      control: bit 0 identifier (0 user, 1 master password); ERASE UNIT: bit 1 enhanced;
//               SET PASSWORD: bit 8 master password capability (0 high, 1 maximum)
//   words 1-16  password, 32 bytes
//   word 17     SET PASSWORD of a master password: the master password identifier
//   the rest    reserved, zero
constexpr unsigned IdentifierBit = 0;
constexpr unsigned EnhancedBit = 1;
constexpr unsigned MaximumLevelBit = 8;
constexpr std::size_t PasswordOffset = 2;
constexpr std::size_t MasterIdentifierOffset = 34;

std::uint16_t SanitizeCount(const AtaSanitizeOptions& options) {
  std::uint16_t count = 0;
  if (options.failureModeExit) count |= FailureModeBit;
  if (options.zonedNoReset) count |= ZonedNoResetBit;
  return count;
}

AtaCommand Sanitize(std::uint8_t selector, std::uint16_t feature, std::uint16_t count, std::uint64_t lba) {
  AtaCommand command;
  command.features = feature;
  command.count = count;
  command.lba = lba;
  command.device = static_cast<std::uint8_t>(DriveHeadRegister(selector) | 0x40u);
  command.command = SanitizeOpcode;
  command.extended = true;
  command.direction = AtaDirection::None;
  command.timeoutSeconds = SanitizeSeconds;
  command.selector = selector;
  return command;
}

AtaCommand Security(std::uint8_t selector, std::uint8_t opcode, AtaDirection direction, std::uint32_t seconds) {
  AtaCommand command;
  command.count = direction == AtaDirection::Out ? 1 : 0;
  command.device = DriveHeadRegister(selector);
  command.command = opcode;
  command.direction = direction;
  command.timeoutSeconds = seconds;
  command.selector = selector;
  return command;
}

AtaSecurityBlock PasswordBlock(AtaPasswordKind kind, std::string_view password, std::uint16_t control) {
  AtaSecurityBlock block{};
  control = static_cast<std::uint16_t>(control | (static_cast<unsigned>(kind) << IdentifierBit));
  WriteU16LE(block, 0, control);
  const std::size_t length = std::min(password.size(), AtaPasswordBytes);
  std::copy_n(password.begin(), length, block.begin() + PasswordOffset);
  return block;
}

}  // namespace

AtaCommand SanitizeStatusCommand(std::uint8_t selector, bool clearFailed) {
  return Sanitize(selector, StatusFeature, clearFailed ? ClearFailedBit : 0, 0);
}

AtaCommand CryptoScrambleCommand(std::uint8_t selector, const AtaSanitizeOptions& options) {
  return Sanitize(selector, CryptoScrambleFeature, SanitizeCount(options), CryptoScrambleSignature);
}

AtaCommand BlockEraseCommand(std::uint8_t selector, const AtaSanitizeOptions& options) {
  return Sanitize(selector, BlockEraseFeature, SanitizeCount(options), BlockEraseSignature);
}

AtaCommand OverwriteCommand(std::uint8_t selector, const AtaOverwriteOptions& overwrite,
                            const AtaSanitizeOptions& options) {
  const std::uint8_t passes = std::clamp<std::uint8_t>(overwrite.passes, 1, MaximumOverwritePasses);
  std::uint16_t count = SanitizeCount(options);
  count |= passes & 0x0Fu;  // 16 passes wrap to 0, as the field means
  if (overwrite.invertBetweenPasses) count |= InvertPatternBit;
  if (overwrite.definitiveEndingPattern) count |= DefinitiveEndingBit;
  return Sanitize(selector, OverwriteFeature, count, OverwriteSignature << 32 | overwrite.pattern);
}

AtaCommand SecuritySetPasswordCommand(std::uint8_t selector) {
  return Security(selector, SecuritySetPasswordOpcode, AtaDirection::Out, SecuritySeconds);
}

AtaCommand SecurityErasePrepareCommand(std::uint8_t selector) {
  return Security(selector, SecurityErasePrepareOpcode, AtaDirection::None, SecuritySeconds);
}

AtaCommand SecurityEraseUnitCommand(std::uint8_t selector, std::uint32_t timeoutSeconds) {
  return Security(selector, SecurityEraseUnitOpcode, AtaDirection::Out, timeoutSeconds);
}

AtaCommand SecurityDisablePasswordCommand(std::uint8_t selector) {
  return Security(selector, SecurityDisablePasswordOpcode, AtaDirection::Out, SecuritySeconds);
}

AtaSecurityBlock SetPasswordBlock(AtaPasswordKind kind, std::string_view password, bool maximumLevel,
                                  std::uint16_t masterIdentifier) {
  AtaSecurityBlock block = PasswordBlock(kind, password, maximumLevel ? 1u << MaximumLevelBit : 0);
  if (kind == AtaPasswordKind::Master) WriteU16LE(block, MasterIdentifierOffset, masterIdentifier);
  return block;
}

AtaSecurityBlock EraseUnitBlock(AtaPasswordKind kind, std::string_view password, bool enhanced) {
  return PasswordBlock(kind, password, enhanced ? 1u << EnhancedBit : 0);
}

AtaSecurityBlock DisablePasswordBlock(AtaPasswordKind kind, std::string_view password) {
  return PasswordBlock(kind, password, 0);
}

}  // namespace trelvane
