#pragma once
// What an NVMe controller's Identify data says about erasing it in its own firmware, the Sanitize
// Status log decoded, and the Russian texts of the status codes these commands complete with.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "nvme/nvme_identify.h"

namespace trelvane {

struct NvmeEraseCapabilities {
  bool sanitizeCrypto = false;     // SANICAP bit 0 (CES)
  bool sanitizeBlock = false;      // SANICAP bit 1 (BES)
  bool sanitizeOverwrite = false;  // SANICAP bit 2 (OWS)
  bool noDeallocateInhibited = false;  // SANICAP bit 29 (NDI): NDAS is refused
  std::uint8_t noDeallocateModifies = 0;  // SANICAP bits 31:30 (NODMMAS)
  bool formatNvm = false;          // OACS bit 1
  bool formatAppliesToAll = false;  // FNA bit 0: a format takes every namespace
  bool secureEraseAppliesToAll = false;  // FNA bit 1: a secure erase in a format takes every namespace
  bool formatCryptoErase = false;  // FNA bit 2
  std::uint32_t highestNamespaceId = 0;  // NN
  // How many namespaces exist, when the drive listed its active ones.
  std::optional<std::uint32_t> activeNamespaces;
  // What the platform lets through to the drive: false where it stops Sanitize overwrite, or Format
  // NVM with a user data erase, before the drive sees it (NvmeDevice::Carries).
  bool systemCarriesOverwrite = true;
  bool systemCarriesUserDataFormat = true;
  // The namespaces a whole-controller command may take: the active ones when known, NN otherwise.
  std::uint32_t NamespacesAtStake() const { return activeNamespaces.value_or(highestNamespaceId); }
};

NvmeEraseCapabilities EraseCapabilitiesOf(const NvmeController& controller,
                                          std::optional<std::uint32_t> activeNamespaces = std::nullopt);

// The Sanitize Status log (81h).
enum class NvmeSanitizeState : std::uint8_t {
  NeverSanitized = 0,
  Completed = 1,
  InProgress = 2,
  Failed = 3,
  CompletedNoDeallocate = 4,  // completed, the media not deallocated
};

struct NvmeSanitizeLog {
  std::uint16_t progress = 0;      // SPROG: the share done, in 65536ths
  std::uint8_t state = 0;          // SSTAT bits 2:0, an NvmeSanitizeState or a value it does not name
  std::uint8_t overwritePassesDone = 0;  // SSTAT bits 7:3
  bool globalDataErased = false;   // SSTAT bit 8: no user data was written since the subsystem was made or sanitized
  std::uint32_t commandDword10 = 0;  // SCDW10 of the last sanitize started
  // Estimated seconds; nothing where the controller gives no estimate (FFFFFFFFh).
  std::optional<std::uint32_t> overwriteSeconds, blockEraseSeconds, cryptoEraseSeconds;
  std::optional<std::uint32_t> overwriteNoDeallocateSeconds, blockEraseNoDeallocateSeconds,
      cryptoEraseNoDeallocateSeconds;
};
NvmeSanitizeLog DecodeSanitizeLog(std::span<const std::uint8_t, 512> log);

// The text of a completion status (SCT bits 10:8, SC bits 7:0 of NvmeCompletion::status), or of
// the transport's failure when the status is 0 and `systemError` is not.
std::u16string NvmeStatusText(std::uint16_t status, std::uint32_t systemError = 0);

}  // namespace trelvane
