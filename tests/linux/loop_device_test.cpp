// The real backend on loop devices this test creates over files in a temporary folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "ata/ata_commands.h"
#include "loop_disk.h"
#include "os/bytes.h"
#include "backends/linux/linux_system.h"
#include "os/win_constants.h"
#include "test_support.h"
#include "text/u16.h"

namespace trelvane {
namespace {

using testing::LoopDisk;
using Bytes = std::vector<std::uint8_t>;
constexpr long long MiB = 1 << 20;

std::u16string Drive(int number) { return u"\\\\.\\PhysicalDrive" + FromAscii(std::to_string(number)); }
std::u16string Volume(const std::string& name) { return u"\\\\.\\" + FromAscii(name); }

using testing::FileRangeIs;
using testing::IsMounted;

class RealBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::CanUseLoopDevices()) TRELVANE_SKIP_OR_FAIL("needs root, losetup and partx");
  }
  void TearDown() override { unsetenv("TRELVANE_DRIVES"); }

  // The backend sees only these disks as physical drives 0, 1 ...; never the machine's own disks.
  std::unique_ptr<System> SystemFor(const std::vector<const LoopDisk*>& disks) {
    std::string list;
    for (const LoopDisk* disk : disks) {
      if (!disk->attached()) return nullptr;
      list += (list.empty() ? "" : ",") + disk->device();
    }
    setenv("TRELVANE_DRIVES", list.c_str(), 1);
    return MakeLinuxSystem("trelvane_linux_tests");
  }

  testing::TempDir folder_;
};

#define REQUIRE_SYSTEM(system) \
  if (!(system)) TRELVANE_SKIP_OR_FAIL("no loop device could be attached")

TEST_F(RealBackend, GeometryLengthAndPropertiesOfLoopDevices) {
  LoopDisk small(folder_, "small", 64 * MiB);
  LoopDisk native(folder_, "native", 32 * MiB, 4096);
  auto system = SystemFor({&small, &native});
  REQUIRE_SYSTEM(system);

  // The facts of each loop device, read through its own handle: a probe handle (read only) for the
  // 512-byte disk, a read-write one for the 4096-byte disk.
  const struct {
    std::uint32_t access;
    std::uint32_t sectorSize;
    std::uint64_t length;
    const LoopDisk& disk;
  } cases[] = {{Access::GenericRead, 512, 64 * MiB, small},
               {Access::GenericRead | Access::GenericWrite, 4096, 32 * MiB, native}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].sectorSize);
    const Handle handle = system->CreateFileW(Drive(static_cast<int>(i)), cases[i].access, Share::ReadWrite);
    ASSERT_NE(handle, InvalidHandle);
    EXPECT_EQ(system->GetLastError(), 0u);
    const auto device = system->BlockDeviceOf(handle);
    std::uint32_t sectorSize = 0;
    std::uint64_t length = 0;
    EXPECT_TRUE(device->SectorSize(sectorSize).ok);
    EXPECT_EQ(sectorSize, cases[i].sectorSize);
    EXPECT_TRUE(device->Length(length).ok);
    EXPECT_EQ(length, cases[i].length);
    AdapterInfo adapter{0, 0};
    ASSERT_TRUE(device->Adapter(adapter).ok);
    EXPECT_EQ(adapter.busType, 15);  // file-backed virtual
    const auto maxSectorsKb =
        testing::ReadTextFile("/sys/block/" + cases[i].disk.kernelName() + "/queue/max_sectors_kb");
    EXPECT_EQ(adapter.maxTransferBytes, std::stoul(maxSectorsKb) * 1024);
    DriveIdentity identity;
    ASSERT_TRUE(device->Identity(adapter.busType, identity).ok);
    // A loop device has no identity texts, no SCSI place and no raw platform reply.
    EXPECT_EQ(identity.vendor + identity.product + identity.revision + identity.serial, u"");
    EXPECT_TRUE(identity.rawReply.empty());
    EXPECT_FALSE(device->IdeSlave());
    EXPECT_TRUE(device->Writable().ok);
    // An ATA command needs read and write access, which a probe handle lacks; with both, a loop
    // device still has no ATA path. The buffer stays as it was.
    Bytes block(512, 0x5A);
    AtaResult result;
    EXPECT_FALSE(system->AtaDeviceOf(handle)->PassThrough(SmartReadDataCommand(0), block, result));
    EXPECT_EQ(result.systemError, i == 0 ? 5u : 1u);
    EXPECT_EQ(block, Bytes(512, 0x5A));
    system->CloseHandle(handle);
    EXPECT_EQ(device->SectorSize(sectorSize).error, 6u);
  }

  EXPECT_EQ(system->CreateFileW(Drive(2), Access::GenericRead, Share::ReadWrite), InvalidHandle);
  EXPECT_EQ(system->GetLastError(), 2u);

  // A query-only handle of the first disk's node has its device number but not its length.
  const Handle volume = system->CreateFileW(Volume(small.kernelName()), Access::None, Share::ReadWrite);
  ASSERT_NE(volume, InvalidHandle);
  std::uint64_t length = 0;
  EXPECT_EQ(system->BlockDeviceOf(volume)->Length(length).error, 5u);
  VolumeNumber number{9, 9, 9};
  ASSERT_TRUE(system->VolumeOf(volume)->Number(number).ok);
  EXPECT_EQ(std::tuple(number.deviceType, number.deviceNumber, number.partitionNumber), std::tuple(7u, 0u, 0u));
  system->CloseHandle(volume);
  EXPECT_EQ(system->CreateFileW(u"\\\\.\\null", Access::None, Share::ReadWrite), InvalidHandle);
}

std::vector<std::string> LogicalDrives(System& system) {
  std::vector<char16_t> buffer(1024, 0);
  const std::uint32_t length = system.GetLogicalDriveStringsW(buffer);
  EXPECT_LT(length, 1024u);
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; i < length; ++i) {
    if (buffer[i] == 0) {
      names.push_back(name);
      name.clear();
    } else {
      name += static_cast<char>(buffer[i]);
    }
  }
  return names;
}

// The mounted partitions are the logical drives, each with its drive number (only the partition of
// the listed disk has one). A lock is refused while a file is open; then it unmounts the volume,
// holds it, and gives it back when released.
TEST_F(RealBackend, LogicalDrivesAndTheLockOfAMountedVolume) {
  LoopDisk disk(folder_, "locked", 64 * MiB);
  auto system = SystemFor({&disk});
  REQUIRE_SYSTEM(system);
  ASSERT_TRUE(disk.Partition({16, 0}));
  const auto point = disk.FormatAndMount(1);
  ASSERT_FALSE(point.empty());

  const std::vector<std::string> names = LogicalDrives(*system);
  const std::string p1 = disk.kernelName() + "p1\\";
  EXPECT_NE(std::find(names.begin(), names.end(), p1), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), disk.kernelName() + "p2\\"), names.end());
  for (const std::string& name : names) {
    const Handle volume = system->CreateFileW(Volume(name.substr(0, name.size() - 1)), Access::None, Share::ReadWrite);
    if (volume == InvalidHandle) continue;
    VolumeNumber number;
    const bool numbered = system->VolumeOf(volume)->Number(number).ok;
    system->CloseHandle(volume);
    // Volumes of the machine's own disks are on no listed drive and can never be taken for one.
    EXPECT_EQ(numbered, name == p1) << name;
    if (name == p1) { EXPECT_EQ(std::pair(number.deviceNumber, number.partitionNumber), std::pair(0u, 1u)); }
  }

  const std::u16string volumeName = Volume(disk.kernelName() + "p1");

  {
    std::ofstream busy(point / "busy.txt");
    busy << "open";
    busy.flush();
    const Handle volume = system->CreateFileW(volumeName, Access::GenericRead, Share::ReadWrite);
    ASSERT_NE(volume, InvalidHandle);
    EXPECT_EQ(system->VolumeOf(volume)->Lock().error, 5u);
    system->CloseHandle(volume);
    EXPECT_TRUE(IsMounted(point));
  }

  const Handle volume = system->CreateFileW(volumeName, Access::GenericRead, Share::ReadWrite);
  ASSERT_NE(volume, InvalidHandle);
  EXPECT_TRUE(system->VolumeOf(volume)->Lock().ok);
  EXPECT_FALSE(IsMounted(point));
  EXPECT_NE(testing::RunQuietly("mount " + disk.PartitionNode(1) + " '" + point.string() + "'"), 0);
  EXPECT_TRUE(system->VolumeOf(volume)->Dismount().ok);
  EXPECT_TRUE(system->VolumeOf(volume)->AllowExtendedIo().ok);

  const int heldElsewhere = open(disk.PartitionNode(1).c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
  EXPECT_LT(heldElsewhere, 0);
  if (heldElsewhere >= 0) close(heldElsewhere);
  // Released with nothing written to the disk: the file system is mounted back where it was.
  system->CloseHandle(volume);
  EXPECT_TRUE(IsMounted(point));
}

// One exclusive handle at a time; writes go to the tracked position (an unaligned buffer through the
// bounce buffer), end at the end of the disk, and need whole sectors and write access.
TEST_F(RealBackend, WritesGoToTheTrackedPositionAndReportTheEndOfTheDisk) {
  constexpr long long size = 8 * MiB;
  LoopDisk disk(folder_, "written", size);
  auto system = SystemFor({&disk});
  REQUIRE_SYSTEM(system);
  testing::FillFileRange(disk.image(), 0, size, '\xFF');
  const std::uint32_t readWrite = Access::GenericRead | Access::GenericWrite;
  const Handle drive = system->CreateFileW(Drive(0), readWrite, Share::None);
  ASSERT_NE(drive, InvalidHandle);
  EXPECT_EQ(system->CreateFileW(Drive(0), readWrite, Share::None), InvalidHandle);  // exclusive while open
  EXPECT_EQ(system->GetLastError(), 32u);

  std::int64_t position = -1;
  ASSERT_TRUE(system->SetFilePointerEx(drive, 4096, position));
  EXPECT_EQ(position, 4096);
  const Bytes storage(65536 + 1, 0);
  const std::span<const std::uint8_t> unaligned(storage.data() + 1, 65536);  // through the bounce buffer
  std::uint32_t written = 0;
  ASSERT_TRUE(system->WriteFile(drive, unaligned, written));
  EXPECT_EQ(written, 65536u);
  ASSERT_TRUE(system->WriteFile(drive, unaligned.subspan(0, 4096), written));  // follows the first write
  ASSERT_TRUE(system->FlushFileBuffers(drive));
  EXPECT_TRUE(FileRangeIs(disk.image(), 4095, 4096, '\xFF'));
  EXPECT_TRUE(FileRangeIs(disk.image(), 4096, 4096 + 65536 + 4096, '\0'));
  EXPECT_TRUE(FileRangeIs(disk.image(), 4096 + 65536 + 4096, 4096 + 65536 + 4097, '\xFF'));

  ASSERT_TRUE(system->SetFilePointerEx(drive, size - 4096, position));
  EXPECT_FALSE(system->WriteFile(drive, unaligned, written));
  EXPECT_EQ(system->GetLastError(), 27u);
  EXPECT_EQ(written, 4096u);  // the part before the end was written
  ASSERT_TRUE(system->SetFilePointerEx(drive, size + 65536, position));  // past the end is allowed
  EXPECT_FALSE(system->WriteFile(drive, unaligned, written));
  EXPECT_EQ(system->GetLastError(), 27u);
  EXPECT_EQ(written, 0u);

  ASSERT_TRUE(system->SetFilePointerEx(drive, 0, position));
  EXPECT_FALSE(system->WriteFile(drive, unaligned.subspan(0, 100), written));
  EXPECT_EQ(system->GetLastError(), 87u);
  EXPECT_FALSE(system->SetFilePointerEx(drive, -512, position));
  system->CloseHandle(drive);
  const Handle again = system->CreateFileW(Drive(0), readWrite, Share::None);  // free again once closed
  EXPECT_NE(again, InvalidHandle);
  system->CloseHandle(again);

  const Handle reader = system->CreateFileW(Drive(0), Access::GenericRead, Share::ReadWrite);
  ASSERT_NE(reader, InvalidHandle);
  EXPECT_FALSE(system->WriteFile(reader, unaligned, written));
  EXPECT_EQ(system->GetLastError(), 5u);
  system->CloseHandle(reader);
}

// Each handle keeps its own overlapped read: reads begun on two disks end crosswise with their own
// data and errors (one past the end of its disk), on 512- and 4096-byte sectors.
TEST_F(RealBackend, OverlappedReadsOnTwoHandlesEachEndWithTheirOwnResult) {
  constexpr long long size = 8 * MiB;
  constexpr std::size_t block = 65536;
  LoopDisk small(folder_, "small", size), native(folder_, "native", size, 4096);
  auto system = SystemFor({&small, &native});
  REQUIRE_SYSTEM(system);
  testing::FillFileRange(small.image(), 0, size, '\x11');
  testing::FillFileRange(native.image(), 0, size, '\x22');
  const Handle h[] = {system->CreateFileW(Drive(0), Access::GenericRead | Access::GenericWrite, Share::None),
                      system->CreateFileW(Drive(1), Access::GenericRead | Access::GenericWrite, Share::None)};
  ASSERT_NE(h[0], InvalidHandle);
  ASSERT_NE(h[1], InvalidHandle);
  std::uint8_t* memory = system->VirtualAlloc(2 * block);
  ASSERT_NE(memory, nullptr);
  const std::span<std::uint8_t> buffers[] = {{memory, block}, {memory + block, block}};
  for (int good = 0; good < 2; ++good) {
    const int bad = 1 - good;
    system->BeginReadFile(h[good], 0, buffers[good]);
    system->BeginReadFile(h[bad], size, buffers[bad]);
    std::uint32_t read = 0;
    EXPECT_FALSE(system->EndReadFile(h[bad], read));
    EXPECT_NE(system->GetLastError(), 0u);
    EXPECT_EQ(read, 0u);
    ASSERT_TRUE(system->EndReadFile(h[good], read)) << system->GetLastError();
    EXPECT_EQ(read, block);
    EXPECT_EQ(Bytes(buffers[good].begin(), buffers[good].end()), Bytes(block, good == 0 ? 0x11 : 0x22));
  }
  std::uint32_t read = 0;
  EXPECT_FALSE(system->EndReadFile(h[0], read));  // no read pending on the handle
  EXPECT_EQ(system->GetLastError(), 6u);
  system->VirtualFree(memory, 2 * block);
  for (const Handle handle : h) system->CloseHandle(handle);
}

// Writes the disk refuses: part of a sector is an invalid parameter, on 4096- and 512-byte sectors;
// any write to a disk attached read-only is write-protected (some kernels refuse the read-write open
// itself, with the same code).
TEST_F(RealBackend, WritesTheDiskRefuses) {
  const struct {
    int sectorSize;
    bool readOnly;
    long long offset;
    std::size_t bytes;
    std::uint32_t error;
  } cases[] = {{4096, false, 8 * MiB - 512, 512, 87}, {512, false, 8 * MiB - 512, 256, 87},
               {512, true, 0, 4096, 19},              {4096, true, 8 * MiB - 4096, 4096, 19}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.sectorSize << (c.readOnly ? " read-only" : "") << " " << c.bytes);
    LoopDisk disk(folder_, "refusing", 8 * MiB, c.sectorSize, c.readOnly);
    auto system = SystemFor({&disk});
    REQUIRE_SYSTEM(system);
    const Handle drive = system->CreateFileW(Drive(0), Access::GenericRead | Access::GenericWrite, Share::None);
    if (drive == InvalidHandle) {
      EXPECT_TRUE(c.readOnly);
      EXPECT_EQ(system->GetLastError(), 19u);
      continue;
    }
    const Bytes zeros(c.bytes, 0);
    std::uint32_t written = 0;
    std::int64_t position = 0;
    ASSERT_TRUE(system->SetFilePointerEx(drive, c.offset, position));
    EXPECT_FALSE(system->WriteFile(drive, zeros, written));
    EXPECT_EQ(system->GetLastError(), c.error);
    system->CloseHandle(drive);
  }
}

// A tmpfs mounted for the test (and unmounted after the loop device on it is gone).
struct SmallTmpfs {
  explicit SmallTmpfs(const std::filesystem::path& point) : point_(point) {
    std::filesystem::create_directories(point_);
    mounted_ = testing::RunQuietly("mount -t tmpfs -o size=8m tmpfs '" + point_.string() + "'") == 0;
  }
  ~SmallTmpfs() {
    if (mounted_) testing::RunQuietly("umount '" + point_.string() + "'");
  }
  std::filesystem::path point_;
  bool mounted_ = false;
};

TEST_F(RealBackend, FullBackingStoreShowsAsSectorNotFoundAtThatWrite) {
  SmallTmpfs store(folder_.path() / "store");
  if (!store.mounted_) TRELVANE_SKIP_OR_FAIL("cannot mount a tmpfs");
  LoopDisk disk(folder_, "overcommitted", 32 * MiB, 512, false, store.point_);
  auto system = SystemFor({&disk});
  REQUIRE_SYSTEM(system);
  const Handle drive = system->CreateFileW(Drive(0), Access::GenericRead | Access::GenericWrite, Share::None);
  ASSERT_NE(drive, InvalidHandle);
  const Bytes zeros(MiB, 0);
  std::uint32_t written = 0;
  long long failedAt = -1;
  for (long long offset = 0; offset < 32 * MiB && failedAt < 0; offset += MiB) {
    std::int64_t position = 0;
    ASSERT_TRUE(system->SetFilePointerEx(drive, offset, position));
    if (!system->WriteFile(drive, zeros, written)) failedAt = offset;
  }
  EXPECT_EQ(system->GetLastError(), 27u);
  EXPECT_GE(failedAt, 6 * MiB);
  EXPECT_LE(failedAt, 8 * MiB);
  system->CloseHandle(drive);
}

TEST_F(RealBackend, PartitionTableIsRereadWhenTheLastLockedVolumeIsReleased) {
  LoopDisk disk(folder_, "reread", 32 * MiB);
  auto system = SystemFor({&disk});
  REQUIRE_SYSTEM(system);
  ASSERT_TRUE(disk.Partition({8, 8}));
  const auto partitionSysfs = [&](int number) {
    return std::filesystem::exists("/sys/block/" + disk.kernelName() + "/" + disk.kernelName() + "p" +
                                   std::to_string(number));
  };
  const Handle drive = system->CreateFileW(Drive(0), Access::GenericRead | Access::GenericWrite, Share::None);
  ASSERT_NE(drive, InvalidHandle);
  const Handle first = system->CreateFileW(Volume(disk.kernelName() + "p1"), Access::GenericRead, Share::ReadWrite);
  const Handle second = system->CreateFileW(Volume(disk.kernelName() + "p2"), Access::GenericRead, Share::ReadWrite);
  ASSERT_TRUE(system->VolumeOf(first)->Lock().ok);
  ASSERT_TRUE(system->VolumeOf(second)->Lock().ok);

  const Bytes zeros(MiB, 0);  // the partition table goes
  std::uint32_t written = 0;
  ASSERT_TRUE(system->WriteFile(drive, zeros, written));
  ASSERT_TRUE(system->FlushFileBuffers(drive));
  EXPECT_TRUE(system->BlockDeviceOf(drive)->UpdateProperties().ok);
  EXPECT_TRUE(partitionSysfs(1));
  system->CloseHandle(first);
  EXPECT_TRUE(partitionSysfs(2));
  system->CloseHandle(second);
  EXPECT_FALSE(partitionSysfs(1));
  EXPECT_FALSE(partitionSysfs(2));
  system->CloseHandle(drive);
}

TEST(LinuxSystem, ProgramPathIsTheRealFileWithBackslashes) {
  auto system = MakeLinuxSystem("trelvane_linux_tests");
  const std::u16string path = system->GetModuleFileNameW();
  EXPECT_EQ(path.find(u'/'), std::u16string::npos);
  EXPECT_EQ(path.substr(path.rfind(u'\\') + 1), u"trelvane_linux_tests");
  EXPECT_EQ(system->GetVersionExW().platformId, 2u);
  EXPECT_EQ(system->ProcessBits(), static_cast<int>(sizeof(void*) * 8));
}

}  // namespace
}  // namespace trelvane
