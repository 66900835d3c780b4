// The NVMe admin commands as the NVMe base specification lays them out: Identify (opcode 06h, CNS in
// CDW10 bits 7:0) and Get Log Page (opcode 02h, LID in CDW10 bits 7:0, NUMDL in bits 31:16, NUMDU in
// CDW11 bits 15:0).

#include <gtest/gtest.h>

#include "nvme/nvme_commands.h"

namespace trelvane {
namespace {

TEST(NvmeCommands, DwordsFollowTheBaseSpecification) {
  struct Case {
    const char* what;
    NvmeCommand command;
    std::uint8_t opcode;
    std::uint32_t namespaceId;
    std::uint32_t cdw10;
  };
  const Case cases[] = {
      {"Identify Controller, CNS 01h", IdentifyControllerCommand(), 0x06, 0, 0x00000001},
      {"active namespace list, CNS 02h from NSID 0", ActiveNamespaceListCommand(), 0x06, 0, 0x00000002},
      {"Identify Namespace 1, CNS 00h", IdentifyNamespaceCommand(), 0x06, 1, 0x00000000},
      {"Identify Namespace 7", IdentifyNamespaceCommand(7), 0x06, 7, 0x00000000},
      // 512 bytes: 128 dwords, NUMD 127 (0's based); the controller-wide log.
      {"SMART / Health log", HealthLogCommand(), 0x02, 0xFFFFFFFFu, 0x007F0002},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const NvmeCommand& command = c.command;
    EXPECT_EQ(command.opcode, c.opcode);
    EXPECT_EQ(command.opcode & 0x3, 0x2);  // data transfer controller to host
    EXPECT_EQ(command.namespaceId, c.namespaceId);
    EXPECT_EQ(command.cdw10, c.cdw10);
    for (const std::uint32_t dword : {command.cdw11, command.cdw12, command.cdw13, command.cdw14, command.cdw15})
      EXPECT_EQ(dword, 0u);
    EXPECT_GT(command.timeoutMs, 0u);
  }
}

}  // namespace
}  // namespace trelvane
