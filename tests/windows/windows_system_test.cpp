// The real Windows backend, run on Windows (or under Wine in CI), and the emulated machine's file names
// there: machine files write relative paths with '/' and may name folders outside the ANSI code page.
// Only files in a temporary folder are opened; no device, volume or drive is touched, and no shell
// command is started.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ata/ata_transport.h"
#include "backends/emulated/emulated_system.h"
#include "backends/windows/windows_system.h"
#include "os/system.h"
#include "os/win_constants.h"
#include "test_support.h"
#include "text/u16.h"

namespace trelvane {
namespace {

using testing::ReadBinaryFile;
using testing::TempDir;
using testing::WriteTextFile;

constexpr std::uint32_t ProcNotFound = 127;  // ERROR_PROC_NOT_FOUND
constexpr std::uint32_t ModNotFound = 126;   // ERROR_MOD_NOT_FOUND

class WindowsSystemTest : public ::testing::Test {
 protected:
  std::unique_ptr<System> system_ = MakeWindowsSystem();
  TempDir temp_;
};

// A file name outside the ANSI code page shows that paths reach the platform as wide strings.
TEST_F(WindowsSystemTest, WritesAtTheSetPositionOfAFileWithACyrillicName) {
  const std::filesystem::path file = temp_.path() / std::filesystem::path(u"образ диска.img");
  WriteTextFile(file, std::string(8192, '\0'));

  const Handle handle = system_->CreateFileW(file.u16string(), Access::GenericRead | Access::GenericWrite,
                                             Share::ReadWrite);
  ASSERT_NE(handle, InvalidHandle) << system_->GetLastError();
  std::int64_t position = -1;
  ASSERT_TRUE(system_->SetFilePointerEx(handle, 4096, position));
  EXPECT_EQ(position, 4096);
  const std::vector<std::uint8_t> block(512, 0xAB);
  std::uint32_t written = 0;
  ASSERT_TRUE(system_->WriteFile(handle, block, written));
  EXPECT_EQ(written, 512u);
  EXPECT_TRUE(system_->FlushFileBuffers(handle));
  system_->CloseHandle(handle);

  const std::vector<unsigned char> bytes = ReadBinaryFile(file);
  ASSERT_EQ(bytes.size(), 8192u);
  EXPECT_EQ(bytes[4095], 0);
  EXPECT_EQ(std::count(bytes.begin() + 4096, bytes.begin() + 4608, 0xAB), 512);
  EXPECT_EQ(bytes[4608], 0);
}

TEST_F(WindowsSystemTest, OpeningWhatDoesNotExistFailsWithThePlatformsCode) {
  EXPECT_EQ(system_->CreateFileW((temp_.path() / "missing.img").u16string(), Access::GenericRead, Share::ReadWrite),
            InvalidHandle);
  EXPECT_EQ(system_->GetLastError(), ErrorCode::FileNotFound);
  EXPECT_EQ(system_->CreateFileW((temp_.path() / "no folder" / "x.img").u16string(), Access::GenericRead,
                                 Share::ReadWrite),
            InvalidHandle);
  EXPECT_EQ(system_->GetLastError(), ErrorCode::PathNotFound);
}

// Opened with access 0 (as the volume query does), the file can be asked but not written.
TEST_F(WindowsSystemTest, RefusedRequestsReportFailureZeroBytesAndAnErrorCode) {
  const std::filesystem::path file = temp_.path() / "plain.bin";
  WriteTextFile(file, std::string(1024, 'x'));
  const Handle handle = system_->CreateFileW(file.u16string(), Access::None, Share::ReadWrite);
  ASSERT_NE(handle, InvalidHandle) << system_->GetLastError();

  std::uint32_t sectorSize = 12345;
  const QueryStatus geometry = system_->BlockDeviceOf(handle)->SectorSize(sectorSize);
  EXPECT_FALSE(geometry.ok);
  EXPECT_EQ(sectorSize, 0u);
  EXPECT_NE(geometry.error, 0u);

  const std::array<std::uint8_t, 16> data{};
  std::uint32_t written = 99;
  EXPECT_FALSE(system_->WriteFile(handle, data, written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(system_->GetLastError(), ErrorCode::AccessDenied);
  system_->CloseHandle(handle);
}

TEST_F(WindowsSystemTest, LogicalDriveStringsEndWithAnEmptyStringOrReportTheNeededLength) {
  std::vector<char16_t> buffer(1024, u'#');
  const std::uint32_t length = system_->GetLogicalDriveStringsW(buffer);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, buffer.size());
  EXPECT_EQ(buffer[length], u'\0');
  EXPECT_EQ(buffer[length - 1], u'\0');
  const std::u16string first(buffer.data());
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first.substr(1), u":\\");

  std::vector<char16_t> tiny(2, u'#');
  EXPECT_GE(system_->GetLogicalDriveStringsW(tiny), tiny.size());
}

TEST_F(WindowsSystemTest, ModulesAndEntriesAreFoundOrReportedMissing) {
  const ModuleHandle kernel = system_->LoadLibraryW(u"kernel32.dll");
  ASSERT_GE(kernel, 32u);
  EXPECT_NE(system_->GetProcAddress(kernel, "GetVersionExW"), 0u);
  EXPECT_EQ(system_->GetProcAddress(kernel, "NoSuchEntryInKernel32"), 0u);
  EXPECT_EQ(system_->GetLastError(), ProcNotFound);
  system_->FreeLibrary(kernel);

  EXPECT_EQ(system_->LoadLibraryW(u"no-such-library-trelvane.dll"), 0u);
  EXPECT_EQ(system_->GetLastError(), ModNotFound);
}

TEST_F(WindowsSystemTest, ProcessAndSystemDescribeAn64BitNtProgram) {
  const OsVersion version = system_->GetVersionExW();
  EXPECT_EQ(version.platformId, PlatformWin32Nt);
  EXPECT_GE(version.major, 5u);
  EXPECT_EQ(system_->ProcessBits(), 64);
  EXPECT_EQ(system_->IsWow64Process(), Wow64Answer::No);
  const std::u16string program = AsciiLower(system_->GetModuleFileNameW());
  EXPECT_TRUE(program.ends_with(u"\\trelvane_windows_tests.exe")) << ToUtf8(program);
  EXPECT_NE(system_->GetACP(), 0u);
}

TEST_F(WindowsSystemTest, ErrorTextsComeFromTheSystemAndAreEmptyForUnknownCodes) {
  EXPECT_FALSE(system_->FormatMessageW(ErrorCode::FileNotFound).empty());
  // The customer bit set: no system message can have this code.
  EXPECT_TRUE(system_->FormatMessageW(0x20001234u).empty());
}

TEST_F(WindowsSystemTest, ClockAndRegionalFormatsAreTheUsers) {
  const SystemTime now = system_->GetLocalTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.milliseconds >= 0 && now.milliseconds <= 999);
  const RegionalSettings settings = system_->GetRegionalSettings();
  EXPECT_NE(settings.shortDateFormat.find(u'd'), std::u16string::npos);
  EXPECT_NE(settings.longTimeFormat.find(u"mm"), std::u16string::npos);
  EXPECT_NE(settings.decimalSeparator, u'\0');
}

std::filesystem::path Utf8Path(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

TEST(EmulatedPathsOnWindows, SlashSeparatedCyrillicPathsReachTheBlockAndImageFiles) {
  TempDir temp;
  const std::filesystem::path machineFolder = temp.path() / Utf8Path("машины");
  std::filesystem::create_directories(machineFolder / "blocks");
  std::filesystem::create_directories(machineFolder / Utf8Path("образы"));
  std::string identify(512, '\0');
  for (std::size_t i = 0; i < identify.size(); ++i) identify[i] = static_cast<char>(i % 251);
  WriteTextFile(machineFolder / "blocks" / "drive.identify.bin", identify);
  const std::filesystem::path machineFile = machineFolder / "m.json";
  WriteTextFile(machineFile, R"({"drives": [{"number": 0, "length": 1048576, "identify": "blocks/drive.identify.bin",
                                  "image": "образы/диск.img"}]})");

  const auto machine = LoadEmulatedMachine(machineFile);
  const Handle drive = machine->CreateFileW(u"\\\\.\\PhysicalDrive0", Access::GenericRead | Access::GenericWrite,
                                            Share::ReadWrite);
  ASSERT_NE(drive, InvalidHandle);
  std::array<std::uint8_t, 512> data{};
  ASSERT_TRUE(IdentifyDevice(*machine, drive, 0, data));
  EXPECT_EQ(std::string(data.begin(), data.end()), identify);

  std::int64_t position = 0;
  ASSERT_TRUE(machine->SetFilePointerEx(drive, 4096, position));
  const std::vector<std::uint8_t> block(512, 0x5A);
  std::uint32_t written = 0;
  ASSERT_TRUE(machine->WriteFile(drive, block, written));
  ASSERT_TRUE(machine->FlushFileBuffers(drive));
  machine->CloseHandle(drive);

  const std::vector<unsigned char> image = ReadBinaryFile(machineFolder / Utf8Path("образы") / Utf8Path("диск.img"));
  ASSERT_EQ(image.size(), 1048576u);
  EXPECT_EQ(image[4095], 0);
  EXPECT_EQ(image[4096], 0x5A);
  EXPECT_EQ(image[4607], 0x5A);
  EXPECT_EQ(image[4608], 0);
}

}  // namespace
}  // namespace trelvane