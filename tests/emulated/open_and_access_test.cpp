// Opening drives and volumes: names, scripted refusals, sharing, handles, access checks and locks.

#include <gtest/gtest.h>

#include <tuple>

#include "machine_fixture.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::testing {
namespace {

constexpr const char* TwoDrivesTwoVolumes = R"({
  "volumes": [{"root": "C:\\"}, {"root": "D:\\", "query_open_error": 21, "open_error": 5}],
  "drives": [{"number": 0}, {"number": 3, "open_error": 55}, {"number": 4, "exclusive_open_error": 19}]})";

// Names as the platform spells them, and the scripted refusals of each kind of open. Every row
// follows a refused one somewhere, so a success is seen to clear the last error.
TEST(OpenDevice, NamesResolveAndScriptedRefusalsApplyToTheirKindOfOpen) {
  Machine machine(TwoDrivesTwoVolumes);
  constexpr std::uint32_t Read = Access::GenericRead;
  const std::tuple<const char16_t*, std::uint32_t, std::uint32_t, std::uint32_t> cases[] = {
      {u"\\\\.\\PhysicalDrive0", Read, Share::ReadWrite, 0},  {u"\\\\.\\physicaldrive0", Read, Share::ReadWrite, 0},
      {u"\\\\.\\PhysicalDrive00", Read, Share::ReadWrite, 2}, {u"\\\\.\\PhysicalDrive1", Read, Share::ReadWrite, 2},
      {u"\\\\.\\PhysicalDrive", Read, Share::ReadWrite, 2},   {u"\\\\.\\PhysicalDrive0x", Read, Share::ReadWrite, 2},
      {u"\\\\.\\C:", Read, Share::ReadWrite, 0},              {u"\\\\.\\c:", Read, Share::ReadWrite, 0},
      {u"C:\\", Read, Share::ReadWrite, 2},                   {u"\\\\.\\E:", Read, Share::ReadWrite, 2},
      {u"\\\\.\\C:\\", Read, Share::ReadWrite, 2},            {u"", Read, Share::ReadWrite, 2},
      {u"\\\\.\\PhysicalDrive3", Read, Share::ReadWrite, 55}, {u"\\\\.\\PhysicalDrive3", Access::None, Share::ReadWrite, 55},
      // The exclusive open alone is refused.
      {u"\\\\.\\PhysicalDrive4", Read, Share::ReadWrite, 0},  {u"\\\\.\\PhysicalDrive4", ReadWrite, Share::None, 19},
      // A volume's query open and its read open are refused separately.
      {u"\\\\.\\D:", Access::None, Share::ReadWrite, 21},     {u"\\\\.\\D:", Read, Share::ReadWrite, 5},
      {u"\\\\.\\C:", Access::None, Share::ReadWrite, 0},
  };
  for (const auto& [path, access, share, error] : cases) {
    SCOPED_TRACE(ToUtf8(path));
    const Handle handle = machine->CreateFileW(path, access, share);
    EXPECT_EQ(handle == InvalidHandle, error != 0);
    EXPECT_EQ(machine->GetLastError(), error);
    if (handle != InvalidHandle) machine->CloseHandle(handle);
  }
}

TEST(OpenDevice, ExclusiveOpenCollidesWithEveryOtherDataHandle) {
  Machine machine(TwoDrivesTwoVolumes);
  const Handle probe = machine->CreateFileW(Drive0, Access::GenericRead, Share::ReadWrite);
  EXPECT_EQ(machine->CreateFileW(Drive0, ReadWrite, Share::None), InvalidHandle);
  EXPECT_EQ(machine->GetLastError(), ErrorCode::SharingViolation);
  machine->CloseHandle(probe);

  const Handle exclusive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  ASSERT_NE(exclusive, InvalidHandle);
  EXPECT_EQ(machine->CreateFileW(Drive0, ReadWrite, Share::None), InvalidHandle);
  EXPECT_EQ(machine->GetLastError(), ErrorCode::SharingViolation);
  EXPECT_EQ(machine->CreateFileW(Drive0, Access::GenericRead, Share::ReadWrite), InvalidHandle);
  EXPECT_EQ(machine->GetLastError(), ErrorCode::SharingViolation);
  // A query-only open carries no data access and collides with nothing.
  EXPECT_NE(machine->CreateFileW(Drive0, Access::None, Share::ReadWrite), InvalidHandle);
  // Another drive is not affected.
  EXPECT_NE(machine->CreateFileW(u"\\\\.\\PhysicalDrive4", ReadWrite, Share::ReadWrite), InvalidHandle);
  machine->CloseHandle(exclusive);
  EXPECT_NE(machine->CreateFileW(Drive0, ReadWrite, Share::None), InvalidHandle);
}

TEST(OpenDevice, HandlesAreDistinctAndAClosedHandleIsInvalid) {
  Machine machine(TwoDrivesTwoVolumes);
  const Handle first = machine->CreateFileW(Drive0, ReadWrite, Share::ReadWrite);
  const Handle second = machine->CreateFileW(u"\\\\.\\C:", Access::GenericRead, Share::ReadWrite);
  EXPECT_NE(first, second);
  EXPECT_GT(first, 0);
  machine->CloseHandle(first);
  const Handle third = machine->CreateFileW(Drive0, ReadWrite, Share::ReadWrite);
  EXPECT_NE(third, first) << "handles are not reused";

  std::uint32_t count = 0;
  std::int64_t position = 0;
  const std::vector<std::uint8_t> block(512, 0);
  EXPECT_EQ(Ask(*machine, first, Ioctl::DiskGetDriveGeometry, {}, 512).error, ErrorCode::InvalidHandle);
  EXPECT_FALSE(machine->WriteFile(first, block, count));
  EXPECT_EQ(machine->GetLastError(), ErrorCode::InvalidHandle);
  EXPECT_FALSE(machine->SetFilePointerEx(first, 0, position));
  EXPECT_EQ(machine->GetLastError(), ErrorCode::InvalidHandle);
  EXPECT_FALSE(machine->FlushFileBuffers(first));
  EXPECT_EQ(machine->GetLastError(), ErrorCode::InvalidHandle);
  machine->CloseHandle(first);
  EXPECT_EQ(machine->GetLastError(), ErrorCode::InvalidHandle);
  EXPECT_FALSE(machine->Requests().back().ok);
}

TEST(AccessCheck, RequestsNeedTheAccessInBits14And15OfTheirCode) {
  Machine machine(R"({"drives": [{"identify_words": {"0": 64}}]})");
  const Handle query = machine->CreateFileW(Drive0, Access::None, Share::ReadWrite);
  const Handle read = machine->CreateFileW(Drive0, Access::GenericRead, Share::ReadWrite);
  const Handle both = machine->CreateFileW(Drive0, ReadWrite, Share::ReadWrite);
  const auto identify = SendCmdIn(512, IdentifyRegs, 0, 33);
  struct Case {
    Handle handle;
    std::uint32_t code;
    std::vector<std::uint8_t> in;
    bool ok;
  };
  const Case cases[] = {
      {query, Ioctl::DiskGetDriveGeometry, {}, true},   // any access
      {query, Ioctl::DiskGetLengthInfo, {}, false},     // read
      {query, Ioctl::SmartGetVersion, {}, false},       // read
      {read, Ioctl::DiskGetLengthInfo, {}, true},
      {read, Ioctl::SmartGetVersion, {}, true},
      {read, Ioctl::SmartRcvDriveData, identify, false},  // read and write
      {both, Ioctl::SmartRcvDriveData, identify, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const Answer answer = Ask(*machine, c.handle, c.code, c.in, 1039);
    EXPECT_EQ(answer.ok, c.ok);
    if (!c.ok) {
      EXPECT_EQ(answer.error, ErrorCode::AccessDenied);
    }
  }
  std::uint32_t written = 0;
  EXPECT_FALSE(machine->WriteFile(read, std::vector<std::uint8_t>(512), written));
  EXPECT_EQ(machine->GetLastError(), ErrorCode::AccessDenied);
  EXPECT_FALSE(machine->FlushFileBuffers(read));
  EXPECT_EQ(machine->GetLastError(), ErrorCode::AccessDenied);
}

TEST(VolumeLock, OneHandleHoldsTheLockUntilItCloses) {
  Machine machine(R"({"volumes": [{"root": "C:\\"}]})");
  const Handle first = machine->CreateFileW(u"\\\\.\\C:", Access::GenericRead, Share::ReadWrite);
  const Handle second = machine->CreateFileW(u"\\\\.\\C:", Access::GenericRead, Share::ReadWrite);
  EXPECT_TRUE(Ask(*machine, first, Ioctl::FsctlLockVolume, {}, 0).ok);
  EXPECT_EQ(Ask(*machine, second, Ioctl::FsctlLockVolume, {}, 0).error, ErrorCode::AccessDenied);
  EXPECT_TRUE(Ask(*machine, first, Ioctl::FsctlDismountVolume, {}, 0).ok);
  EXPECT_TRUE(Ask(*machine, first, Ioctl::FsctlAllowExtendedDasdIo, {}, 0).ok);
  machine->CloseHandle(first);
  EXPECT_TRUE(Ask(*machine, second, Ioctl::FsctlLockVolume, {}, 0).ok);
}

TEST(VolumeLock, ScriptedRefusalsAndRequestsOfTheWrongDeviceKind) {
  Machine machine(R"({"volumes": [{"root": "C:\\", "lock_error": 5, "dismount_error": 19, "extended_io_error": 1}],
                      "drives": [{}]})");
  const Handle volume = machine->CreateFileW(u"\\\\.\\C:", Access::GenericRead, Share::ReadWrite);
  EXPECT_EQ(Ask(*machine, volume, Ioctl::FsctlLockVolume, {}, 0).error, 5u);
  EXPECT_EQ(Ask(*machine, volume, Ioctl::FsctlDismountVolume, {}, 0).error, 19u);
  EXPECT_EQ(Ask(*machine, volume, Ioctl::FsctlAllowExtendedDasdIo, {}, 0).error, 1u);
  EXPECT_EQ(Ask(*machine, volume, Ioctl::DiskGetDriveGeometry, {}, 512).error, ErrorCode::InvalidFunction);
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  EXPECT_EQ(Ask(*machine, drive, Ioctl::FsctlLockVolume, {}, 0).error, ErrorCode::InvalidFunction);
  EXPECT_TRUE(Ask(*machine, drive, Ioctl::DiskUpdateProperties, {}, 0).ok);
}

}  // namespace
}  // namespace trelvane::testing
