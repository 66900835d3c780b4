#pragma once
// The ATA commands that erase a drive in its own firmware, built as values (ACS-3): the SANITIZE
// DEVICE sub-commands (B4h) and the Security feature set (F1h, F3h, F4h, F6h) with the 512-byte
// blocks the data-out ones carry. Nothing here sends a command; an AtaDevice does.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "os/ata_device.h"

namespace trelvane {

inline constexpr std::size_t AtaSecurityBlockBytes = 512;
inline constexpr std::size_t AtaPasswordBytes = 32;
using AtaSecurityBlock = std::array<std::uint8_t, AtaSecurityBlockBytes>;

// The options every sanitize operation takes in COUNT. ZONED NO RESET here and DEFINITIVE ENDING
// PATTERN below came with ACS-4 (ACS-3 reserves those bits), so both stay clear unless asked for.
struct AtaSanitizeOptions {
  // FAILURE MODE (bit 4): a failed operation may be left with SANITIZE STATUS EXT instead of only
  // with a new sanitize operation.
  bool failureModeExit = false;
  // ZONED NO RESET (bit 15): the write pointers of a zoned drive stay where the operation left them.
  bool zonedNoReset = false;
};

struct AtaOverwriteOptions {
  std::uint32_t pattern = 0;     // LBA 31:0, written over and over
  std::uint8_t passes = 1;       // 1..16; 16 goes out as 0, which means 16
  bool invertBetweenPasses = false;  // INVERT PATTERN BETWEEN OVERWRITE PASSES (bit 7)
  bool definitiveEndingPattern = false;  // DEFINITIVE ENDING PATTERN (bit 6): the last pass writes `pattern`
};

// SANITIZE STATUS EXT (B4h/0000h): no data. `clearFailed` sets CLEAR SANITIZE OPERATION FAILED
// (COUNT bit 0), which leaves the failed state when the failure mode allows it.
AtaCommand SanitizeStatusCommand(std::uint8_t selector, bool clearFailed = false);
// CRYPTO SCRAMBLE EXT (B4h/0011h, LBA 43727970h "Cryp"), BLOCK ERASE EXT (B4h/0012h, LBA
// 426B4572h "BkEr") and OVERWRITE EXT (B4h/0014h, LBA 47:32 = 4F57h "OW", 31:0 the pattern): no
// data. Each starts the operation and returns; SANITIZE STATUS EXT follows it.
AtaCommand CryptoScrambleCommand(std::uint8_t selector, const AtaSanitizeOptions& options = {});
AtaCommand BlockEraseCommand(std::uint8_t selector, const AtaSanitizeOptions& options = {});
AtaCommand OverwriteCommand(std::uint8_t selector, const AtaOverwriteOptions& overwrite,
                            const AtaSanitizeOptions& options = {});

enum class AtaPasswordKind : std::uint8_t { User = 0, Master = 1 };

// SECURITY SET PASSWORD (F1h), 512 bytes out.
AtaCommand SecuritySetPasswordCommand(std::uint8_t selector);
// SECURITY ERASE PREPARE (F3h): no data; SECURITY ERASE UNIT must come right after it.
AtaCommand SecurityErasePrepareCommand(std::uint8_t selector);
// SECURITY ERASE UNIT (F4h), 512 bytes out, given as long as the drive says the erase takes.
AtaCommand SecurityEraseUnitCommand(std::uint8_t selector, std::uint32_t timeoutSeconds);
// SECURITY DISABLE PASSWORD (F6h), 512 bytes out.
AtaCommand SecurityDisablePasswordCommand(std::uint8_t selector);

// The data blocks. Word 0 is the control word; words 1-16 hold the password, its bytes in the
// order given, zero-padded (a longer one is cut at 32 bytes). SET PASSWORD adds the security level
// in word 0 bit 8 (for a user password: high 0, maximum 1) and, for a master password, its
// identifier in word 17; ERASE UNIT adds the enhanced erase in word 0 bit 1.
AtaSecurityBlock SetPasswordBlock(AtaPasswordKind kind, std::string_view password, bool maximumLevel = false,
                                  std::uint16_t masterIdentifier = 0);
AtaSecurityBlock EraseUnitBlock(AtaPasswordKind kind, std::string_view password, bool enhanced);
AtaSecurityBlock DisablePasswordBlock(AtaPasswordKind kind, std::string_view password);

}  // namespace trelvane
