// Identity strings from IDENTIFY data and sysfs texts, in reading order.

#include "backends/linux/identity.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace trelvane::linux_platform {
namespace {

TEST(AtaIdentityStrings, RealDrivesModelFirmwareAndSerial) {
  const auto identify = testing::ReadBinaryFile(testing::RealDriveFile("WDC_WD2500JB--00REA0-20.00K20.identify.bin"));
  ASSERT_EQ(identify.size(), 512u);
  const DeviceStrings strings = AtaIdentityStrings(std::vector<std::uint8_t>(identify.begin(), identify.end()));
  EXPECT_EQ(strings.vendor, "");
  EXPECT_EQ(strings.product, "WDC WD2500JB-00REA0");
  EXPECT_EQ(strings.revision, "20.00K20");
  EXPECT_EQ(strings.serial.size(), 20u);  // the whole words, blanks included
  EXPECT_EQ(TrimBlanks(strings.serial), "WD-WMANK4051741");
}

TEST(AtaIdentityStrings, OddLengthSerialOfEmulatedDisk) {
  std::vector<std::uint8_t> identify(512, 0);
  const std::string serial = "QPATA-S0003         ";  // ATA pads with blanks to 20 characters
  for (std::size_t i = 0; i < serial.size(); ++i) identify[20 + (i ^ 1)] = static_cast<std::uint8_t>(serial[i]);
  const std::string model = "QEMU PATA PRIMARY SLAVE-2";
  for (std::size_t i = 0; i < 40; ++i)
    identify[54 + (i ^ 1)] = static_cast<std::uint8_t>(i < model.size() ? model[i] : ' ');
  const DeviceStrings strings = AtaIdentityStrings(identify);
  EXPECT_EQ(strings.product, model);
  EXPECT_EQ(TrimBlanks(strings.serial), "QPATA-S0003");
  EXPECT_EQ(strings.revision, "");
  // A zero in word 12 ends the serial after an odd byte, which keeps its place in its word.
  identify[25] = 0;
  EXPECT_EQ(AtaIdentityStrings(identify).serial, std::string("QPAT\0-", 6));
}

TEST(SerialFromVpdPage80, LengthFromBytes2And3) {
  const std::vector<std::uint8_t> page{0x00, 0x80, 0x00, 0x0C, ' ', ' ', 'Q', 'M', '0', '0', '0', '0', '1',
                                       ' ', ' ', ' ', 'X', 'X'};
  EXPECT_EQ(SerialFromVpdPage80(page), "QM00001");
  EXPECT_EQ(SerialFromVpdPage80(std::vector<std::uint8_t>{0x00, 0x83, 0x00, 0x01, 'A'}), "");
  EXPECT_EQ(SerialFromVpdPage80(std::vector<std::uint8_t>{0x00, 0x80, 0x00, 0x40, 'A', 'B'}), "AB");
}

}  // namespace
}  // namespace trelvane::linux_platform
