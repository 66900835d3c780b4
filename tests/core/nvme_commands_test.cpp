// The NVMe admin commands as NVM Express Base 2.0 lays them out: Identify (opcode 06h, CNS in
// CDW10 bits 7:0) and Get Log Page (opcode 02h, LID in CDW10 bits 7:0, NUMDL in bits 31:16, NUMDU in
// CDW11 bits 15:0).

#include <gtest/gtest.h>

#include "nvme/nvme_commands.h"

namespace trelvane {
namespace {

TEST(NvmeCommands, DwordsFollowNvmExpressBase) {
  struct Case {
    NvmeCommand command;
    std::uint8_t opcode;
    std::uint32_t namespaceId, cdw10;
  };
  const Case cases[] = {
      {IdentifyControllerCommand(), 0x06, 0, 0x01}, {ActiveNamespaceListCommand(), 0x06, 0, 0x02},
      {IdentifyNamespaceCommand(), 0x06, 1, 0x00},  {IdentifyNamespaceCommand(7), 0x06, 7, 0x00},
      // 512 bytes: NUMD 127 (0's based) of the controller-wide log.
      {HealthLogCommand(), 0x02, 0xFFFFFFFFu, 0x007F0002},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cdw10);
    EXPECT_EQ(c.command.opcode, c.opcode);
    EXPECT_EQ(c.command.opcode & 0x3, 0x2);  // data from controller to host
    EXPECT_EQ(c.command.namespaceId, c.namespaceId);
    EXPECT_EQ(c.command.cdw10, c.cdw10);
    for (const std::uint32_t dword : {c.command.cdw11, c.command.cdw12, c.command.cdw13, c.command.cdw14,
                                      c.command.cdw15})
      EXPECT_EQ(dword, 0u);
  }
}

}  // namespace
}  // namespace trelvane
