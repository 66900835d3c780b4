// The ATA path on real libata drivers: run inside the emulated machine of tests/drivers (which sets
// TRELVANE_ATA_GUEST=1); skipped everywhere else. The guest's disks are described by
// /run/qata-disks: "diskN sdX sata|pata SERIAL SYSFS-PATH".

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "os/bytes.h"
#include "os/linux/linux_system.h"
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

struct Reply {
  bool ok = false;
  std::uint32_t error = 0;
  std::uint32_t returned = 0;
  Bytes out;
};

Reply Request(System& system, Handle handle, std::uint32_t code, const Bytes& in, std::size_t outSize) {
  Reply reply;
  reply.out.assign(outSize, 0);
  reply.ok = system.DeviceIoControl(handle, code, in, reply.out, reply.returned);
  reply.error = reply.ok ? 0 : system.GetLastError();
  return reply;
}

// SENDCMDINPARAMS of 33 bytes with the given registers.
Bytes SendCmdIn(std::uint32_t bufferSize, std::array<std::uint8_t, 7> regs, std::uint8_t driveNumber) {
  Bytes in(33, 0);
  WriteU32LE(in, 0, bufferSize);
  std::copy(regs.begin(), regs.end(), in.begin() + 4);
  in[12] = driveNumber;
  return in;
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

TEST_F(AtaGuest, BusTypeAndSlavePositionOfEveryDisk) {
  for (std::size_t i = 0; i < disks_.size(); ++i) {
    SCOPED_TRACE(disks_[i].kernelName);
    const Handle handle = Open(i, false);
    ASSERT_NE(handle, InvalidHandle);
    Bytes query(12, 0);
    WriteU32LE(query, 0, StorageProperty::Adapter);
    const Reply adapter = Request(*system_, handle, Ioctl::StorageQueryProperty, query, 512);
    ASSERT_TRUE(adapter.ok);
    EXPECT_EQ(adapter.out[24], disks_[i].sata ? 11 : 3);
    const Reply version = Request(*system_, handle, Ioctl::SmartGetVersion, {}, 28);
    ASSERT_TRUE(version.ok);
    EXPECT_EQ(version.returned, 24u);
    EXPECT_EQ(version.out[3], disks_[i].slave ? 0x02 : 0x01);
    const Reply inquiry = Request(*system_, handle, Ioctl::ScsiGetInquiryData, {}, 512);
    ASSERT_TRUE(inquiry.ok);
    EXPECT_EQ(inquiry.out[13], disks_[i].slave ? 1 : 0);
    EXPECT_EQ(std::string(inquiry.out.begin() + 24 + 8, inquiry.out.begin() + 24 + 11), "ATA");
    system_->CloseHandle(handle);
  }
}

TEST_F(AtaGuest, DevicePropertyHasTheWholeModelAndThePreSwappedSerial) {
  for (std::size_t i = 0; i < disks_.size(); ++i) {
    SCOPED_TRACE(disks_[i].kernelName);
    const Handle handle = Open(i, false);
    ASSERT_NE(handle, InvalidHandle);
    const Reply device = Request(*system_, handle, Ioctl::StorageQueryProperty, Bytes(12, 0), 512);
    ASSERT_TRUE(device.ok);
    const std::uint32_t productOffset = ReadU32LE(device.out, 16);
    const std::uint32_t serialOffset = ReadU32LE(device.out, 24);
    ASSERT_NE(productOffset, 0u);
    ASSERT_NE(serialOffset, 0u);
    const std::string product(reinterpret_cast<const char*>(device.out.data() + productOffset));
    EXPECT_EQ(product.rfind("QEMU ", 0), 0u) << product;
    EXPECT_GT(product.size(), 16u);  // not the 16 characters of the SCSI model text
    std::string serial(reinterpret_cast<const char*>(device.out.data() + serialOffset));
    for (std::size_t k = 0; k + 1 < serial.size(); k += 2) std::swap(serial[k], serial[k + 1]);
    EXPECT_EQ(serial.substr(0, disks_[i].serial.size()), disks_[i].serial);
    system_->CloseHandle(handle);
  }
}

TEST_F(AtaGuest, IdentifyThroughSmartReceiveAndTheMiniport) {
  for (std::size_t i = 0; i < disks_.size(); ++i) {
    SCOPED_TRACE(disks_[i].kernelName);
    const Handle handle = Open(i, true);
    ASSERT_NE(handle, InvalidHandle);
    const std::uint8_t head = disks_[i].slave ? 0xB0 : 0xA0;
    const Reply identify = Request(*system_, handle, Ioctl::SmartRcvDriveData, SendCmdIn(512, {0, 1, 1, 0, 0, head, 0xEC}, 0), 528);
    ASSERT_TRUE(identify.ok);
    EXPECT_EQ(identify.returned, 528u);
    EXPECT_EQ(AtaText(identify.out, 16 + 20, 10), disks_[i].serial);

    Bytes miniport(572, 0);
    WriteU32LE(miniport, 0, 28);
    std::copy_n("SCSIDISK", 8, miniport.begin() + 4);
    WriteU32LE(miniport, 12, 120);
    WriteU32LE(miniport, 16, Ioctl::ScsiMiniportIdentify);
    WriteU32LE(miniport, 24, 544);
    const Bytes in = SendCmdIn(512, {0, 1, 1, 0, 0, head, 0xEC}, disks_[i].slave ? 1 : 0);
    std::copy(in.begin(), in.end(), miniport.begin() + 28);
    std::uint32_t returned = 0;
    ASSERT_TRUE(system_->DeviceIoControl(handle, Ioctl::ScsiMiniport, miniport, miniport, returned));
    EXPECT_EQ(returned, 556u);
    EXPECT_EQ(AtaText(miniport, 44 + 20, 10), disks_[i].serial);
    system_->CloseHandle(handle);
  }
}

TEST_F(AtaGuest, SmartEnableReadStatusAndDisable) {
  for (std::size_t i = 0; i < disks_.size(); ++i) {
    SCOPED_TRACE(disks_[i].kernelName);
    const Handle handle = Open(i, true);
    ASSERT_NE(handle, InvalidHandle);
    const std::uint8_t head = disks_[i].slave ? 0xB0 : 0xA0;
    const std::uint8_t selector = disks_[i].slave ? 1 : 0;
    const auto smart = [&](std::uint8_t feature, std::uint32_t code, std::uint32_t bufferSize, std::size_t outSize) {
      return Request(*system_, handle, code, SendCmdIn(bufferSize, {feature, 1, 1, 0x4F, 0xC2, head, 0xB0}, selector),
                     outSize);
    };
    EXPECT_TRUE(smart(0xD8, Ioctl::SmartSendDriveCommand, 0, 527).ok);
    const Reply data = smart(0xD0, Ioctl::SmartRcvDriveData, 512, 1039);
    ASSERT_TRUE(data.ok);
    EXPECT_EQ(data.returned, 528u);
    EXPECT_EQ(data.out[16 + 2], 1);  // the first attribute: raw read error rate
    const Reply status = smart(0xDA, Ioctl::SmartSendDriveCommand, 0, 527);
    ASSERT_TRUE(status.ok);
    EXPECT_EQ(status.returned, 24u);
    EXPECT_EQ(status.out[16 + 3], 0x4F);  // a healthy drive keeps the signature
    EXPECT_EQ(status.out[16 + 4], 0xC2);
    EXPECT_EQ(smart(0xD0, Ioctl::SmartSendDriveCommand, 512, 1039).error, 87u);
    EXPECT_TRUE(smart(0xD9, Ioctl::SmartSendDriveCommand, 0, 527).ok);
    // With SMART off the drive aborts READ DATA; libata reports that in fixed-format sense data.
    const Reply disabled = smart(0xD0, Ioctl::SmartRcvDriveData, 512, 1039);
    EXPECT_FALSE(disabled.ok);
    EXPECT_EQ(disabled.error, 1117u);
    EXPECT_EQ(disabled.out[4], 1);     // bDriverError: SMART_IDE_ERROR
    EXPECT_EQ(disabled.out[5], 0x04);  // bIDEError: ABRT
    system_->CloseHandle(handle);
  }
}

}  // namespace
}  // namespace trelvane
