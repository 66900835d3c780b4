// The commands the program builds, field by field: the ATA commands against ACS-3 (IDENTIFY DEVICE,
// ECh, PIO data-in; the SMART sub-commands, B0h, LBA 23:8 = C24Fh, the sub-command in FEATURE; count
// and LBA 7:0 carry 1, which these commands ignore; bit 4 of DEVICE selects the slave), and the NVMe
// admin commands as NVM Express Base 2.0 lays them out (Identify, opcode 06h, CNS in CDW10 bits 7:0;
// Get Log Page, opcode 02h, LID in CDW10 bits 7:0, NUMDL in bits 31:16, NUMDU in CDW11 bits 15:0).

#include <gtest/gtest.h>

#include "ata/ata_commands.h"
#include "nvme/nvme_commands.h"

namespace trelvane {
namespace {

struct Expected {
  const char* name;
  AtaCommand (*build)(std::uint8_t selector);
  std::uint8_t selector;
  std::uint16_t features;
  std::uint64_t lba;
  std::uint8_t device;
  std::uint8_t command;
  AtaDirection direction;
};

TEST(AtaCommands, FieldsOfEachCommand) {
  const Expected table[] = {
      {"IDENTIFY DEVICE", IdentifyDeviceCommand, 0, 0x00, 0x000001, 0xA0, 0xEC, AtaDirection::In},
      {"IDENTIFY DEVICE, slave", IdentifyDeviceCommand, 1, 0x00, 0x000001, 0xB0, 0xEC, AtaDirection::In},
      {"SMART READ DATA", SmartReadDataCommand, 1, 0xD0, 0xC24F01, 0xB0, 0xB0, AtaDirection::In},
      {"SMART ENABLE OPERATIONS", SmartEnableOperationsCommand, 0, 0xD8, 0xC24F01, 0xA0, 0xB0, AtaDirection::None},
      {"SMART DISABLE OPERATIONS", SmartDisableOperationsCommand, 1, 0xD9, 0xC24F01, 0xB0, 0xB0, AtaDirection::None},
  };
  for (const Expected& row : table) {
    SCOPED_TRACE(row.name);
    const AtaCommand command = row.build(row.selector);
    EXPECT_EQ(command.features, row.features);
    EXPECT_EQ(command.count, 1);
    EXPECT_EQ(command.lba, row.lba);
    EXPECT_EQ(command.device, row.device);
    EXPECT_EQ(command.command, row.command);
    EXPECT_EQ(command.direction, row.direction);
    EXPECT_FALSE(command.extended);
    EXPECT_EQ(command.selector, row.selector);
    EXPECT_GE(command.timeoutSeconds, 30u);  // room for a spin-up from standby
  }
}

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