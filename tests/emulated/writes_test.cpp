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

// A write overlapping a fault (its first or last sector, or a fault without an end) fails whole and
// writes nothing; so do writes past the end or not in whole sectors. The image shows exactly where the
// writes that succeeded ended.
TEST_F(FaultyImage, WritesOverlappingAFaultOrTheEndOrNotInWholeSectorsAreRefusedWhole) {
  struct Write {
    std::int64_t offset, size;
    std::uint32_t error;  // 0: written
  };
  const Write writes[] = {
      {0, MiB, 0},
      {MiB, MiB, 19},
      {2 * MiB - 512, 1024, 19},  // the last sector of the fault
      {2 * MiB, MiB, 0},
      {3670016 - 512, 512, 0},  // ends where the fault without an end starts
      {4 * MiB - 512, 512, 55},
      {2 * MiB, 100, ErrorCode::InvalidParameter},
      {2 * MiB + 256, 512, ErrorCode::InvalidParameter},
      {4 * MiB - 512, 1024, ErrorCode::SectorNotFound},
      {4 * MiB, 512, ErrorCode::SectorNotFound},
  };
  for (const Write& write : writes) {
    SCOPED_TRACE(write.offset);
    EXPECT_EQ(WriteAt(*machine_, handle_, write.offset, write.size, static_cast<std::uint8_t>(write.offset == 3670016 - 512 ? 0x11 : 0)),
              write.error == 0);
    if (write.error != 0) {
      EXPECT_EQ(machine_->GetLastError(), write.error);
    }
  }
  EXPECT_EQ(machine_->WrittenBytes(0), 2 * MiB + 512) << "refused writes count nothing";
  const auto image = Image();
  EXPECT_EQ(image.size(), static_cast<std::size_t>(4 * MiB));
  const std::pair<std::int64_t, std::uint8_t> bytes[] = {
      {MiB - 1, 0}, {MiB, 0xAA}, {2 * MiB - 1, 0xAA}, {2 * MiB, 0}, {3 * MiB, 0xAA}, {3670016 - 1, 0x11}, {3670016, 0xAA}};
  for (const auto& [at, value] : bytes) EXPECT_EQ(image[static_cast<std::size_t>(at)], value) << at;
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
