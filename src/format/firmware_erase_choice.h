#pragma once
// The ways of erasing a drive by name, what each counts as under NIST SP 800-88, which ones a drive
// refuses and why, and the automatic choice among them: a pure function of what the drive's
// IDENTIFY data says. Nothing here touches a drive.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "ata/ata_erase_capabilities.h"
#include "nvme/nvme_erase_capabilities.h"

namespace trelvane {

enum class EraseMethodId : std::uint8_t {
  Auto,                 // chosen per drive by ChooseErase
  Zero,                 // zeros over the whole drive
  Quick,                // zeros over the partition tables at both ends
  SanitizeCrypto,       // NVMe Sanitize crypto erase / ATA CRYPTO SCRAMBLE EXT
  SanitizeBlock,        // NVMe Sanitize block erase / ATA BLOCK ERASE EXT
  SanitizeOverwrite,    // NVMe Sanitize overwrite / ATA OVERWRITE EXT
  FormatCrypto,         // NVMe Format NVM, cryptographic erase
  FormatUser,           // NVMe Format NVM, user data erase
  SecureErase,          // ATA SECURITY ERASE UNIT, normal
  SecureEraseEnhanced,  // ATA SECURITY ERASE UNIT, enhanced
};

// The method's command-line name ("auto", "zero", "sanitize-crypto", ...), and back.
std::string_view CommandLineName(EraseMethodId method);
std::optional<EraseMethodId> MethodFromCommandLineName(std::string_view name);

// What the drive says about itself; nothing for a drive whose commands the program cannot send
// (behind a USB bridge, a card reader) or that answered none of them.
using DriveEraseFacts = std::variant<std::monostate, AtaEraseCapabilities, NvmeEraseCapabilities>;

enum class NistCategory : std::uint8_t { None, Clear, Purge };
// Clear for writes through the interface and for erasures the drive does not vouch for; Purge for
// sanitize block and crypto erase, the cryptographic Format NVM, and an enhanced security erase on
// a drive that encrypts all user data. None for Auto, which is no method yet, and for the quick
// wipe, which leaves the middle of the drive as it was.
NistCategory NistCategoryOf(EraseMethodId method, const DriveEraseFacts& facts);

// Why the drive cannot be erased with `method` now, or nothing when it can. Zero and Quick are
// always possible; Auto is never refused.
std::optional<std::u16string> RefusalOf(EraseMethodId method, const DriveEraseFacts& facts);

struct EraseChoice {
  EraseMethodId method = EraseMethodId::Zero;
  std::u16string reason;  // why this method, for the user
};
// NVMe: sanitize crypto, sanitize block, format crypto, format user data, zero fill; a solid-state
// ATA drive: sanitize crypto, sanitize block, enhanced security erase, zero fill; anything else:
// zero fill. A method the drive refuses is passed over.
EraseChoice ChooseErase(const DriveEraseFacts& facts);

}  // namespace trelvane
