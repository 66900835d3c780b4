// Writes on an emulated drive: positions, faults at exact offsets, the image file read back on both
// sides of a fault, and drives without an image.

#include <filesystem>

#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

constexpr std::int64_t MiB = 1048576;

// Seeks and writes `size` bytes of `fill`; true when both succeeded with the full count.
bool WriteAt(System& system, Handle handle, std::int64_t offset, std::int64_t size, std::uint8_t fill = 0) {
  std::int64_t position = -1;
  if (!system.SetFilePointerEx(handle, offset, position) || position != offset) return false;
  const std::vector<std::uint8_t> data(static_cast<std::size_t>(size), fill);
  std::uint32_t written = 0;
  return system.WriteFile(handle, data, written) && written == data.size();
}

std::vector<std::uint8_t> Bytes(const std::vector<unsigned char>& image, std::int64_t from, std::int64_t count) {
  return {image.begin() + from, image.begin() + from + count};
}

// A 4 MiB drive over an image filled with 0xAA, with a write fault over its second MiB.
class FaultyImage : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBinaryFile(folder_.path() / "disk.img", std::vector<std::uint8_t>(4 * MiB, 0xAA));
    machine_ = LoadFromFolder(folder_.path(), "m.json", R"({"drives": [{"length": 4194304, "image": "disk.img",
        "faults": [{"from": 1048576, "to": 2097152, "write_error": 19}, {"from": 3670016, "write_error": 55},
                   {"seek_error_at": 65536}, {"seek_error_at": 131072, "seek_error": 21}]}]})");
    handle_ = machine_->CreateFileW(Drive0, ReadWrite, Share::None);
  }
  std::vector<unsigned char> Image() {
    machine_->CloseHandle(handle_);
    return ReadBinaryFile(folder_.path() / "disk.img");
  }
  TempDir folder_;
  std::unique_ptr<EmulatedSystem> machine_;
  Handle handle_ = InvalidHandle;
};

TEST_F(FaultyImage, WriteOverlappingTheFaultFailsAndWritesNothing) {
  EXPECT_TRUE(WriteAt(*machine_, handle_, 0, MiB));
  EXPECT_FALSE(WriteAt(*machine_, handle_, MiB, MiB));
  EXPECT_EQ(machine_->GetLastError(), 19u);
  EXPECT_FALSE(WriteAt(*machine_, handle_, 2 * MiB - 512, 1024)) << "the last sector of the fault";
  EXPECT_TRUE(WriteAt(*machine_, handle_, 2 * MiB, MiB));
  const auto image = Image();
  EXPECT_EQ(Bytes(image, MiB - 4, 4), std::vector<std::uint8_t>(4, 0));
  EXPECT_EQ(Bytes(image, MiB, 4), std::vector<std::uint8_t>(4, 0xAA));
  EXPECT_EQ(Bytes(image, 2 * MiB - 4, 4), std::vector<std::uint8_t>(4, 0xAA));
  EXPECT_EQ(Bytes(image, 2 * MiB, 4), std::vector<std::uint8_t>(4, 0));
  EXPECT_EQ(image.size(), static_cast<std::size_t>(4 * MiB));
}

TEST_F(FaultyImage, FaultWithoutAnEndReachesTheEndOfTheDrive) {
  EXPECT_TRUE(WriteAt(*machine_, handle_, 3670016 - 512, 512, 0x11)) << "ends where the fault starts";
  EXPECT_FALSE(WriteAt(*machine_, handle_, 4 * MiB - 512, 512));
  EXPECT_EQ(machine_->GetLastError(), 55u);
  const auto image = Image();
  EXPECT_EQ(image[3670016 - 1], 0x11);
  EXPECT_EQ(image[3670016], 0xAA);
}

TEST_F(FaultyImage, SeekToExactlyTheFaultOffsetFails) {
  std::int64_t position = -1;
  EXPECT_FALSE(machine_->SetFilePointerEx(handle_, 65536, position));
  EXPECT_EQ(machine_->GetLastError(), ErrorCode::InvalidParameter);
  EXPECT_FALSE(machine_->SetFilePointerEx(handle_, 131072, position));
  EXPECT_EQ(machine_->GetLastError(), 21u);
  EXPECT_TRUE(machine_->SetFilePointerEx(handle_, 65536 + 512, position));
  EXPECT_EQ(position, 65536 + 512);
  EXPECT_FALSE(machine_->SetFilePointerEx(handle_, -512, position));
  EXPECT_EQ(machine_->GetLastError(), 131u) << "a negative seek";
}

TEST_F(FaultyImage, WritesContinueAtThePositionTheyReached) {
  std::int64_t position = 0;
  ASSERT_TRUE(machine_->SetFilePointerEx(handle_, 2 * MiB, position));
  std::uint32_t written = 0;
  ASSERT_TRUE(machine_->WriteFile(handle_, std::vector<std::uint8_t>(512, 1), written));
  ASSERT_TRUE(machine_->WriteFile(handle_, std::vector<std::uint8_t>(512, 2), written));
  EXPECT_EQ(written, 512u);
  EXPECT_TRUE(machine_->FlushFileBuffers(handle_));
  const auto image = Image();
  EXPECT_EQ(image[2 * MiB + 511], 1);
  EXPECT_EQ(image[2 * MiB + 512], 2);
  EXPECT_EQ(image[2 * MiB + 1024], 0xAA);
}

TEST_F(FaultyImage, WritesPastTheEndOrNotInWholeSectorsAreRefusedWhole) {
  EXPECT_FALSE(WriteAt(*machine_, handle_, 2 * MiB, 100));
  EXPECT_EQ(machine_->GetLastError(), ErrorCode::InvalidParameter);
  EXPECT_FALSE(WriteAt(*machine_, handle_, 2 * MiB + 256, 512));
  EXPECT_EQ(machine_->GetLastError(), ErrorCode::InvalidParameter);
  EXPECT_FALSE(WriteAt(*machine_, handle_, 4 * MiB - 512, 1024));
  EXPECT_EQ(machine_->GetLastError(), ErrorCode::SectorNotFound);
  EXPECT_FALSE(WriteAt(*machine_, handle_, 4 * MiB, 512));
  EXPECT_EQ(machine_->GetLastError(), ErrorCode::SectorNotFound);
  EXPECT_EQ(machine_->WrittenBytes(0), 0);
}

TEST(ImageFile, MissingImageIsCreatedSparseAtTheDriveLength) {
  TempDir folder;
  std::filesystem::create_directory(folder.path() / "images");
  const auto machine = LoadFromFolder(folder.path(), "m.json",
                                      R"({"drives": [{"length": 8589934592, "image": "images/big.img"}]})");
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "images/big.img")) << "nothing is created before a write";
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  ASSERT_TRUE(WriteAt(*machine, drive, 8589934592 - 4096, 4096, 0x5A));
  machine->CloseHandle(drive);
  EXPECT_EQ(std::filesystem::file_size(folder.path() / "images/big.img"), 8589934592u);
}

TEST(ImageFile, DriveWithoutImageCountsItsWritesAndNoOtherDriveChanges) {
  Machine machine(R"({"drives": [{"number": 0, "length": 1048576}, {"number": 1, "length": 1048576}]})");
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  EXPECT_TRUE(WriteAt(*machine, drive, 0, 65536));
  EXPECT_TRUE(WriteAt(*machine, drive, 65536, 4096));
  EXPECT_EQ(machine->WrittenBytes(0), 65536 + 4096);
  EXPECT_EQ(machine->WrittenBytes(1), 0);
  EXPECT_TRUE(machine->FlushFileBuffers(drive));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(machine.Folder()), {}), 0) << "no file was made";
}

TEST(ImageFile, ScriptedFlushFailureAndSectorSizeOf4096) {
  Machine machine(R"({"drives": [{"sector_size": 4096, "length": 1048576, "flush_error": 1117}]})");
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  EXPECT_FALSE(WriteAt(*machine, drive, 0, 512));
  EXPECT_EQ(machine->GetLastError(), ErrorCode::InvalidParameter);
  EXPECT_TRUE(WriteAt(*machine, drive, 4096, 8192));
  EXPECT_FALSE(machine->FlushFileBuffers(drive));
  EXPECT_EQ(machine->GetLastError(), 1117u);
}

}  // namespace
}  // namespace trelvane::testing
