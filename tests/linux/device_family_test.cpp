// Device families and bus type codes from sysfs paths (recorded on real and emulated machines).

#include "backends/linux/device_family.h"

#include <gtest/gtest.h>

namespace trelvane::linux_platform {
namespace {

constexpr const char* SataDisk = "/sys/devices/pci0000:00/0000:00:02.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
constexpr const char* PataSlave = "/sys/devices/pci0000:00/0000:00:01.1/ata7/host6/target6:0:1/6:0:1:0/block/sdc";
constexpr const char* UsbDisk =
    "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host4/target4:0:0/4:0:0:0/block/sdd";

TEST(ClassifySysfsPath, RecordedPaths) {
  EXPECT_EQ(ClassifySysfsPath(SataDisk), DeviceFamily::Ata);
  EXPECT_EQ(ClassifySysfsPath(PataSlave), DeviceFamily::Ata);
  EXPECT_EQ(ClassifySysfsPath(UsbDisk), DeviceFamily::Usb);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda"), DeviceFamily::VirtioBlock);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/virtual/block/loop1"), DeviceFamily::Loop);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/virtual/block/zram0"), DeviceFamily::RamDisk);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/pci0000:00/0000:00:04.0/nvme/nvme0/nvme0n1"), DeviceFamily::Nvme);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/virtual/nvme-subsystem/nvme-subsys0/nvme0n1"), DeviceFamily::Nvme);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/platform/soc/mmc_host/mmc0/mmc0:aaaa/block/mmcblk0"), DeviceFamily::Mmc);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/pci0000:00/0000:00:05.0/virtio2/host2/target2:0:0/2:0:0:0/block/sda"),
            DeviceFamily::Scsi);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/pci/host3/port-3:0/end_device-3:0/target3:0:0/3:0:0:0/block/sdb"),
            DeviceFamily::Sas);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/platform/host5/session1/target5:0:0/5:0:0:0/block/sde"),
            DeviceFamily::Iscsi);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/pci/host7/rport-7:0-0/target7:0:0/7:0:0:0/block/sdf"), DeviceFamily::Fibre);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/virtual/block/dm-0"), DeviceFamily::Unknown);
  EXPECT_EQ(ClassifySysfsPath("/sys/devices/pci0000:00/ata_port/x/block/sda"), DeviceFamily::Unknown);
}

TEST(BusTypeCode, LinkSpeedTellsSataFromPata) {
  EXPECT_EQ(BusTypeCode(DeviceFamily::Ata, "1.5 Gbps", ""), 11);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Ata, "<unknown>", ""), 3);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Ata, "", ""), 3);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Mmc, "", "SD"), 12);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Mmc, "", "MMC"), 13);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Usb, "", ""), 7);
  EXPECT_EQ(BusTypeCode(DeviceFamily::VirtioBlock, "", ""), 1);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Loop, "", ""), 15);
  EXPECT_EQ(BusTypeCode(DeviceFamily::RamDisk, "", ""), 14);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Nvme, "", ""), 17);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Sas, "", ""), 10);
  EXPECT_EQ(BusTypeCode(DeviceFamily::Unknown, "", ""), 0);
}

TEST(AtaPortNumber, TheAtaComponent) {
  EXPECT_EQ(AtaPortNumber(PataSlave), 7u);
  EXPECT_EQ(AtaPortNumber("/sys/devices/pci0000:00/0000:00:1f.2/ata12/host11/x"), 12u);
  EXPECT_FALSE(AtaPortNumber(UsbDisk));
}

TEST(ScsiAddressFromPath, TheLastHostChannelTargetLun) {
  const auto slave = ScsiAddressFromPath(PataSlave);
  ASSERT_TRUE(slave);
  EXPECT_EQ(slave->host, 6u);
  EXPECT_EQ(slave->channel, 0u);
  EXPECT_EQ(slave->target, 1u);
  EXPECT_EQ(slave->lun, 0u);
  EXPECT_FALSE(ScsiAddressFromPath("/sys/devices/virtual/block/loop1"));
  EXPECT_FALSE(ScsiAddressFromPath("/sys/devices/x/0:0:1/y"));
}

}  // namespace
}  // namespace trelvane::linux_platform
