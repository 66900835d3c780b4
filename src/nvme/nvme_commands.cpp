#include "nvme/nvme_commands.h"

namespace trelvane {

namespace {

// Identify, command dword 10: CNS in bits 7-0 (controller id in bits 31-16, 0 here).
NvmeCommand Identify(std::uint8_t cns, std::uint32_t namespaceId) {
  NvmeCommand command;
  command.opcode = NvmeOpcode::Identify;
  command.namespaceId = namespaceId;
  command.cdw10 = cns;
  return command;
}

// Get Log Page, command dword 10: log page id in bits 7-0, the number of dwords minus one, low 16
// bits, in bits 31-16 (retain-asynchronous-event bit 15 clear); dword 11 holds its upper 16 bits.
NvmeCommand GetLogPage(std::uint8_t logId, std::uint32_t namespaceId, std::uint32_t bytes) {
  const std::uint32_t dwordsLess1 = bytes / 4 - 1;
  NvmeCommand command;
  command.opcode = NvmeOpcode::GetLogPage;
  command.namespaceId = namespaceId;
  command.cdw10 = (dwordsLess1 & 0xFFFFu) << 16 | logId;
  command.cdw11 = dwordsLess1 >> 16;
  return command;
}

constexpr std::uint8_t CnsNamespace = 0x00;
constexpr std::uint8_t CnsController = 0x01;
constexpr std::uint8_t CnsActiveNamespaces = 0x02;
constexpr std::uint8_t LogHealth = 0x02;
constexpr std::uint32_t AllNamespaces = 0xFFFFFFFFu;

}  // namespace

NvmeCommand IdentifyControllerCommand() { return Identify(CnsController, 0); }

// Namespace 0: every active namespace id above 0.
NvmeCommand ActiveNamespaceListCommand() { return Identify(CnsActiveNamespaces, 0); }

NvmeCommand IdentifyNamespaceCommand(std::uint32_t namespaceId) { return Identify(CnsNamespace, namespaceId); }

NvmeCommand HealthLogCommand() { return GetLogPage(LogHealth, AllNamespaces, NvmeHealthLogBytes); }

}  // namespace trelvane
