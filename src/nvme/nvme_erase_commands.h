#pragma once
// The NVMe admin commands that erase a drive in its own firmware, built as values (NVM Express
// Base 2.0): Sanitize (84h), Format NVM (80h), and Get Log Page for the Sanitize Status log (81h).
// Nothing here sends a command; an NvmeDevice does.

#include <cstdint>

#include "os/nvme_device.h"

namespace trelvane {

namespace NvmeEraseOpcode {
inline constexpr std::uint8_t FormatNvm = 0x80;
inline constexpr std::uint8_t Sanitize = 0x84;
}  // namespace NvmeEraseOpcode

inline constexpr std::uint32_t NvmeSanitizeLogBytes = 512;
inline constexpr std::uint32_t NvmeAllNamespaces = 0xFFFFFFFFu;

// Sanitize Action (CDW10 bits 2:0).
enum class NvmeSanitizeAction : std::uint8_t { ExitFailureMode = 1, BlockErase = 2, Overwrite = 3, CryptoErase = 4 };

struct NvmeSanitizeOptions {
  bool allowUnrestrictedExit = false;  // AUSE: a failed sanitize may be left with Exit Failure Mode
  bool noDeallocate = false;           // NDAS: the media is not deallocated after the operation
  // Overwrite only: passes 1..16 (16 goes out as 0, which means 16), the pattern, and whether it is
  // inverted between passes (OIPBP).
  std::uint8_t overwritePasses = 1;
  std::uint32_t overwritePattern = 0;
  bool invertBetweenPasses = false;
};

// Sanitize acts on the whole NVM subsystem: the namespace id is not used (0).
NvmeCommand SanitizeCommand(NvmeSanitizeAction action, const NvmeSanitizeOptions& options = {});

// Secure Erase Settings of Format NVM (CDW10 bits 11:9).
enum class NvmeSecureErase : std::uint8_t { None = 0, UserData = 1, Cryptographic = 2 };

// How the namespace carries metadata and protection information (Identify Namespace FLBAS bit 4 and
// DPS): a format must name them as they are, or it turns protection off and moves the metadata.
struct NvmeFormatLayout {
  bool metadataExtended = false;    // MSET, CDW10 bit 4
  std::uint8_t protectionType = 0;  // PI, CDW10 bits 7:5
  bool protectionFirst = false;     // PIL, CDW10 bit 8
};

// Format NVM of `namespaceId` (NvmeAllNamespaces for every one) to LBA format `formatIndex` (0..63)
// with the metadata and protection information settings of `layout`.
NvmeCommand FormatNvmCommand(std::uint32_t namespaceId, std::uint8_t formatIndex, NvmeSecureErase erase,
                             const NvmeFormatLayout& layout = {});

// Get Log Page 81h, 512 bytes, for the controller as a whole.
NvmeCommand SanitizeLogCommand();

}  // namespace trelvane
