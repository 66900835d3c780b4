// What sysfs says of a disk (its family, bus type code, ATA port and SCSI place, from paths recorded
// on real and emulated machines) and its identity strings from IDENTIFY data and VPD page 80h.

#include "backends/linux/device_family.h"

#include <gtest/gtest.h>

#include "backends/linux/identity.h"
#include "test_support.h"

namespace trelvane::linux_platform {
namespace {

constexpr const char* SataDisk = "/sys/devices/pci0000:00/0000:00:02.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
constexpr const char* PataSlave = "/sys/devices/pci0000:00/0000:00:01.1/ata7/host6/target6:0:1/6:0:1:0/block/sdc";
constexpr const char* UsbDisk =
    "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host4/target4:0:0/4:0:0:0/block/sdd";

TEST(ClassifySysfsPath, RecordedPaths) {
  using F = DeviceFamily;
  const std::pair<const char*, DeviceFamily> cases[] = {
      {SataDisk, F::Ata},
      {PataSlave, F::Ata},
      {UsbDisk, F::Usb},
      {"/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda", F::VirtioBlock},
      {"/sys/devices/virtual/block/loop1", F::Loop},
      {"/sys/devices/virtual/block/zram0", F::RamDisk},
      {"/sys/devices/pci0000:00/0000:00:04.0/nvme/nvme0/nvme0n1", F::Nvme},
      {"/sys/devices/virtual/nvme-subsystem/nvme-subsys0/nvme0n1", F::Nvme},
      {"/sys/devices/platform/soc/mmc_host/mmc0/mmc0:aaaa/block/mmcblk0", F::Mmc},
      {"/sys/devices/pci0000:00/0000:00:05.0/virtio2/host2/target2:0:0/2:0:0:0/block/sda", F::Scsi},
      {"/sys/devices/pci/host3/port-3:0/end_device-3:0/target3:0:0/3:0:0:0/block/sdb", F::Sas},
      {"/sys/devices/platform/host5/session1/target5:0:0/5:0:0:0/block/sde", F::Iscsi},
      {"/sys/devices/pci/host7/rport-7:0-0/target7:0:0/7:0:0:0/block/sdf", F::Fibre},
      {"/sys/devices/virtual/block/dm-0", F::Unknown},
      {"/sys/devices/pci0000:00/ata_port/x/block/sda", F::Unknown},
  };
  for (const auto& [path, family] : cases) EXPECT_EQ(ClassifySysfsPath(path), family) << path;
}

// The link speed tells SATA from PATA, the card type SD from MMC.
TEST(BusTypeCode, FamilyLinkSpeedAndCardType) {
  using F = DeviceFamily;
  const std::tuple<DeviceFamily, const char*, const char*, int> cases[] = {
      {F::Ata, "1.5 Gbps", "", 11}, {F::Ata, "<unknown>", "", 3}, {F::Ata, "", "", 3},   {F::Mmc, "", "SD", 12},
      {F::Mmc, "", "MMC", 13},      {F::Usb, "", "", 7},          {F::VirtioBlock, "", "", 1},
      {F::Loop, "", "", 15},        {F::RamDisk, "", "", 14},     {F::Nvme, "", "", 17}, {F::Sas, "", "", 10},
      {F::Unknown, "", "", 0},
  };
  for (const auto& [family, speed, card, code] : cases)
    EXPECT_EQ(BusTypeCode(family, speed, card), code) << int(family) << speed << card;
}

TEST(AtaPortAndScsiAddress, FromTheirComponentsOfThePath) {
  EXPECT_EQ(AtaPortNumber(PataSlave), 7u);
  EXPECT_EQ(AtaPortNumber("/sys/devices/pci0000:00/0000:00:1f.2/ata12/host11/x"), 12u);
  EXPECT_FALSE(AtaPortNumber(UsbDisk));
  const auto slave = ScsiAddressFromPath(PataSlave);  // the last host:channel:target:lun
  ASSERT_TRUE(slave);
  EXPECT_EQ((std::array{slave->host, slave->channel, slave->target, slave->lun}), (std::array{6u, 0u, 1u, 0u}));
  EXPECT_FALSE(ScsiAddressFromPath("/sys/devices/virtual/block/loop1"));
  EXPECT_FALSE(ScsiAddressFromPath("/sys/devices/x/0:0:1/y"));
}

TEST(AtaIdentityStrings, RealDriveAndOddLengthSerialOfAnEmulatedDisk) {
  const auto real = testing::ReadBinaryFile(testing::RealDriveFile("WDC_WD2500JB--00REA0-20.00K20.identify.bin"));
  ASSERT_EQ(real.size(), 512u);
  const DeviceStrings drive = AtaIdentityStrings(std::vector<std::uint8_t>(real.begin(), real.end()));
  EXPECT_EQ(drive.vendor + "|" + drive.product + "|" + drive.revision, "|WDC WD2500JB-00REA0|20.00K20");
  EXPECT_EQ(drive.serial.size(), 20u);  // the whole words, blanks included
  EXPECT_EQ(TrimBlanks(drive.serial), "WD-WMANK4051741");

  std::vector<std::uint8_t> identify(512, 0);
  const std::string serial = "QPATA-S0003         ";  // ATA pads with blanks to 20 characters
  for (std::size_t i = 0; i < serial.size(); ++i) identify[20 + (i ^ 1)] = static_cast<std::uint8_t>(serial[i]);
  const std::string model = "QEMU PATA PRIMARY SLAVE-2";
  for (std::size_t i = 0; i < 40; ++i)
    identify[54 + (i ^ 1)] = static_cast<std::uint8_t>(i < model.size() ? model[i] : ' ');
  const DeviceStrings strings = AtaIdentityStrings(identify);
  EXPECT_EQ(strings.product + "|" + TrimBlanks(strings.serial) + "|" + strings.revision, model + "|QPATA-S0003|");
  // A zero in word 12 ends the serial after an odd byte, which keeps its place in its word.
  identify[25] = 0;
  EXPECT_EQ(AtaIdentityStrings(identify).serial, std::string("QPAT\0-", 6));
}

// The length is in bytes 2 and 3; another page gives nothing; a page cut short gives what it has.
TEST(SerialFromVpdPage80, LengthFromBytes2And3) {
  const std::pair<std::vector<std::uint8_t>, std::string> cases[] = {
      {{0x00, 0x80, 0x00, 0x0C, ' ', ' ', 'Q', 'M', '0', '0', '0', '0', '1', ' ', ' ', ' ', 'X', 'X'}, "QM00001"},
      {{0x00, 0x83, 0x00, 0x01, 'A'}, ""},
      {{0x00, 0x80, 0x00, 0x40, 'A', 'B'}, "AB"},
  };
  for (const auto& [page, serial] : cases) EXPECT_EQ(SerialFromVpdPage80(page), serial);
}

}  // namespace
}  // namespace trelvane::linux_platform
