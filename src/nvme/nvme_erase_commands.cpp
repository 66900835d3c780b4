#include "nvme/nvme_erase_commands.h"

#include <algorithm>

namespace trelvane {

namespace {

// Sanitize, command dword 10:
//   bits 2:0 SANACT   001b exit failure mode, 010b block erase, 011b overwrite, 100b crypto erase
//   bit 3    AUSE     allow unrestricted sanitize exit
//   bits 7:4 OWPASS   overwrite pass count (0 = 16)
//   bit 8    OIPBP    overwrite invert pattern between passes
//   bit 9    NDAS     no-deallocate after sanitize
// command dword 11: OVRPAT, the 32-bit overwrite pattern.
constexpr unsigned AuseBit = 3;
constexpr unsigned OwpassShift = 4;
constexpr unsigned OipbpBit = 8;
constexpr unsigned NdasBit = 9;
constexpr std::uint8_t MaximumOverwritePasses = 16;
// The command returns once the controller has started the operation in the background.
constexpr std::uint32_t SanitizeMs = 30'000;

// Format NVM, command dword 10:
//   bits 3:0 LBAF     the LBA format, low four bits    bit 4 MSET    bits 7:5 PI    bit 8 PIL
//   bits 11:9 SES     000b none, 001b user data erase, 010b cryptographic erase
//   bits 13:12 LBAFU  the LBA format, upper two bits
constexpr unsigned MsetShift = 4;
constexpr unsigned PiShift = 5;
constexpr unsigned PilShift = 8;
constexpr unsigned SesShift = 9;
constexpr unsigned LbafuShift = 12;
// A user data erase may write the whole medium before the command completes.
constexpr std::uint32_t FormatMs = 4 * 60 * 60 * 1000;

constexpr std::uint8_t SanitizeStatusLog = 0x81;

}  // namespace

NvmeCommand SanitizeCommand(NvmeSanitizeAction action, const NvmeSanitizeOptions& options) {
  NvmeCommand command;
  command.opcode = NvmeEraseOpcode::Sanitize;
  command.namespaceId = 0;
  std::uint32_t cdw10 = static_cast<std::uint32_t>(action);
  if (options.allowUnrestrictedExit) cdw10 |= 1u << AuseBit;
  if (options.noDeallocate) cdw10 |= 1u << NdasBit;
  if (action == NvmeSanitizeAction::Overwrite) {
    const unsigned passes = std::clamp<std::uint8_t>(options.overwritePasses, 1, MaximumOverwritePasses);
    cdw10 |= (passes & 0xFu) << OwpassShift;
    if (options.invertBetweenPasses) cdw10 |= 1u << OipbpBit;
    command.cdw11 = options.overwritePattern;
  }
  command.cdw10 = cdw10;
  command.timeoutMs = SanitizeMs;
  return command;
}

NvmeCommand FormatNvmCommand(std::uint32_t namespaceId, std::uint8_t formatIndex, NvmeSecureErase erase,
                             const NvmeFormatLayout& layout) {
  NvmeCommand command;
  command.opcode = NvmeEraseOpcode::FormatNvm;
  command.namespaceId = namespaceId;
  command.cdw10 = (formatIndex & 0xFu) | (layout.metadataExtended ? 1u : 0u) << MsetShift |
                  (layout.protectionType & 0x7u) << PiShift | (layout.protectionFirst ? 1u : 0u) << PilShift |
                  static_cast<std::uint32_t>(erase) << SesShift | ((formatIndex >> 4) & 0x3u) << LbafuShift;
  command.timeoutMs = FormatMs;
  return command;
}

// Get Log Page: LID in CDW10 bits 7:0, the dwords to read less one in bits 31:16.
NvmeCommand SanitizeLogCommand() {
  NvmeCommand command;
  command.opcode = NvmeOpcode::GetLogPage;
  command.namespaceId = NvmeAllNamespaces;
  command.cdw10 = (NvmeSanitizeLogBytes / 4 - 1) << 16 | SanitizeStatusLog;
  return command;
}

}  // namespace trelvane
