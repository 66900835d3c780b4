// The ATA path on real libata drivers: run inside the emulated machine of tests/drivers (which sets
// TRELVANE_ATA_GUEST=1); skipped everywhere else. The guest's disks are described by
// /run/qata-disks: "diskN sdX sata|pata SERIAL SYSFS-PATH".

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ata/ata_commands.h"
#include "os/bytes.h"
#include "backends/linux/linux_system.h"
#include "os/win_constants.h"
#include "test_support.h"
#include "text/u16.h"

namespace trelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct GuestDisk {
  std::string kernelName;
  bool sata = false;
  std::string serial;
  bool slave = false;  // SCSI target 1 on its channel
};

std::vector<GuestDisk> ReadGuestDisks() {
  std::vector<GuestDisk> disks;
  std::ifstream table("/run/qata-disks");
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string id, name, bus, serial, path;
    if (!(fields >> id >> name >> bus >> serial >> path)) continue;
    disks.push_back({name, bus == "sata", serial, path.find(":0:1:0") != std::string::npos});
  }
  return disks;
}

std::string AtaText(const Bytes& block, std::size_t offset, std::size_t words) {
  std::string text;
  for (std::size_t i = 0; i < words; ++i) {
    text += static_cast<char>(block[offset + 2 * i + 1]);
    text += static_cast<char>(block[offset + 2 * i]);
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

class AtaGuest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* guest = std::getenv("TRELVANE_ATA_GUEST");
    if (guest == nullptr || std::string(guest) != "1") GTEST_SKIP() << "runs inside the ATA test machine only";
    disks_ = ReadGuestDisks();
    ASSERT_FALSE(disks_.empty());
    std::string list;
    for (const GuestDisk& disk : disks_) list += (list.empty() ? "/dev/" : ",/dev/") + disk.kernelName;
    setenv("TRELVANE_DRIVES", list.c_str(), 1);
    system_ = MakeLinuxSystem("trelvane_linux_tests");
  }
  void TearDown() override { unsetenv("TRELVANE_DRIVES"); }

  Handle Open(std::size_t index, bool write) {
    const std::u16string path = u"\\\\.\\PhysicalDrive" + FromAscii(std::to_string(index));
    return system_->CreateFileW(path, write ? Access::GenericRead | Access::GenericWrite : Access::GenericRead,
                                write ? Share::None : Share::ReadWrite);
  }

  std::vector<GuestDisk> disks_;
  std::unique_ptr<System> system_;
};

// Each disk through a probe handle: its bus type, slave position, whole model (not the 16 characters
// of the SCSI model text) and serial in reading order; through a read-write handle: IDENTIFY through
// the pass-through, SMART enable, READ DATA, RETURN STATUS (a non-data command whose answer is its
// registers) and disable, after which the drive aborts READ DATA (libata reports that in fixed-format
// sense data) and the buffer keeps what it had.
TEST_F(AtaGuest, EveryDiskThroughItsProbeAndPassThroughHandles) {
  for (std::size_t i = 0; i < disks_.size(); ++i) {
    SCOPED_TRACE(disks_[i].kernelName);
    const Handle probe = Open(i, false);
    ASSERT_NE(probe, InvalidHandle);
    const auto block = system_->BlockDeviceOf(probe);
    AdapterInfo adapter;
    ASSERT_TRUE(block->Adapter(adapter).ok);
    EXPECT_EQ(adapter.busType, disks_[i].sata ? 11 : 3);
    EXPECT_EQ(block->IdeSlave(), disks_[i].slave);
    DriveIdentity identity;
    ASSERT_TRUE(block->Identity(adapter.busType, identity).ok);
    const std::string product = ToUtf8(identity.product);
    EXPECT_EQ(product.rfind("QEMU ", 0), 0u) << product;
    EXPECT_GT(product.size(), 16u);
    EXPECT_EQ(ToUtf8(identity.serial).substr(0, disks_[i].serial.size()), disks_[i].serial);
    system_->CloseHandle(probe);

    const Handle handle = Open(i, true);
    ASSERT_NE(handle, InvalidHandle);
    const std::uint8_t selector = disks_[i].slave ? 1 : 0;
    const auto device = system_->AtaDeviceOf(handle);
    AtaResult result;
    Bytes data(512, 0);
    ASSERT_TRUE(device->PassThrough(IdentifyDeviceCommand(selector), data, result));
    EXPECT_EQ(AtaText(data, 20, 10), disks_[i].serial);
    EXPECT_TRUE(device->PassThrough(SmartEnableOperationsCommand(selector), {}, result));
    ASSERT_TRUE(device->PassThrough(SmartReadDataCommand(selector), data, result));
    EXPECT_EQ(data[2], 1);  // the first attribute: raw read error rate
    AtaCommand status = SmartEnableOperationsCommand(selector);
    status.features = 0xDA;
    ASSERT_TRUE(device->PassThrough(status, {}, result));
    ASSERT_TRUE(result.registersValid);
    EXPECT_EQ(result.lba >> 8 & 0xFFFF, 0xC24Fu);  // a healthy drive keeps the signature
    EXPECT_EQ(result.status & 0x01, 0);
    EXPECT_TRUE(device->PassThrough(SmartDisableOperationsCommand(selector), {}, result));
    Bytes untouched(512, 0x5A);
    EXPECT_FALSE(device->PassThrough(SmartReadDataCommand(selector), untouched, result));
    EXPECT_EQ(std::tuple(result.systemError, result.registersValid, result.error), std::tuple(1117u, true, 0x04));  // ABRT
    EXPECT_EQ(untouched, Bytes(512, 0x5A));
    system_->CloseHandle(handle);
  }
}

// 48-bit PIO both ways on the PATA master (which the driver suite formats afterwards): WRITE SECTORS
// EXT puts two sectors past the 28-bit boundary's low bytes, READ SECTORS EXT and the block device
// read them back.
TEST_F(AtaGuest, FortyEightBitDataOutAndIn) {
  std::size_t master = disks_.size();
  for (std::size_t i = 0; i < disks_.size(); ++i)
    if (!disks_[i].sata && !disks_[i].slave) master = i;
  ASSERT_LT(master, disks_.size()) << "no PATA master in /run/qata-disks";
  const Handle handle = Open(master, true);
  ASSERT_NE(handle, InvalidHandle);
  const auto device = system_->AtaDeviceOf(handle);
  AtaCommand write;
  write.count = 2;
  write.lba = 0x1'0203;  // bytes in LBA 7:0, 15:8 and 23:16
  write.device = 0x40;   // LBA addressing
  write.command = 0x34;  // WRITE SECTORS EXT
  write.extended = true;
  write.direction = AtaDirection::Out;
  Bytes sectors(1024);
  for (std::size_t k = 0; k < sectors.size(); ++k) sectors[k] = static_cast<std::uint8_t>(k * 13 + 1);
  AtaResult result;
  ASSERT_TRUE(device->PassThrough(write, sectors, result)) << result.systemError;
  AtaCommand read = write;
  read.command = 0x24;  // READ SECTORS EXT
  read.direction = AtaDirection::In;
  Bytes back(1024, 0);
  ASSERT_TRUE(device->PassThrough(read, back, result)) << result.systemError;
  EXPECT_EQ(back, sectors);
  AtaCommand wrongLength = read;
  EXPECT_FALSE(device->PassThrough(wrongLength, std::span<std::uint8_t>(back).first(100), result));
  EXPECT_EQ(result.systemError, 87u);
  system_->CloseHandle(handle);

  // The page cache is dropped first: it may hold what the disk had before.
  const int node = open(("/dev/" + disks_[master].kernelName).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(node, 0);
  posix_fadvise(node, 0, 0, POSIX_FADV_DONTNEED);
  Bytes onDisk(1024, 0);
  EXPECT_EQ(pread(node, onDisk.data(), onDisk.size(), static_cast<off_t>(write.lba * 512)), 1024);
  close(node);
  EXPECT_EQ(onDisk, sectors);
}

}  // namespace
}  // namespace trelvane
