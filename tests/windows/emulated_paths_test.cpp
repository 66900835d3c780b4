// The emulated machine's file names on Windows: machine files write relative paths with '/' and may
// name folders outside the ANSI code page; both must reach the right files in the Windows build.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ata/ata_transport.h"
#include "backends/emulated/emulated_system.h"
#include "os/win_constants.h"
#include "test_support.h"

namespace trelvane {
namespace {

using testing::ReadBinaryFile;
using testing::TempDir;
using testing::WriteTextFile;

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
