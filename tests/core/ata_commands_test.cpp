// The ATA commands the program builds, field by field against ACS-3: IDENTIFY DEVICE (ECh, PIO
// data-in) and the SMART sub-commands (B0h, LBA 23:8 = C24Fh, the sub-command in FEATURE). Count and
// LBA 7:0 carry 1, which these commands ignore; bit 4 of DEVICE selects the slave.

#include "ata/ata_commands.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace trelvane
