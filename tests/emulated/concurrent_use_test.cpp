// What two erase jobs at once rely on: each handle keeps its own overlapped read, and each thread its
// own last error.

#include <thread>

#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

constexpr char16_t Drive1[] = u"\\\\.\\PhysicalDrive1";

struct Read {
  bool ok = false;
  std::uint32_t bytes = 0;
  std::uint32_t error = 0;
  std::uint8_t first = 0;
};

// Two drives filled with 0x11 and 0x22, with read faults (55 and 23) at their second block; reads on
// their handles are begun and ended crosswise.
class InterleavedReads : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(InterleavedReads, EachHandleEndsWithItsOwnDataAndError) {
  const std::uint32_t sector = GetParam();
  const std::string block = std::to_string(sector), size = std::to_string(16 * sector);
  TempDir folder;
  WriteBinaryFile(folder.path() / "d0.img", std::vector<std::uint8_t>(16 * sector, 0x11));
  WriteBinaryFile(folder.path() / "d1.img", std::vector<std::uint8_t>(16 * sector, 0x22));
  auto machine = LoadFromFolder(folder.path(), "m.json", R"({"drives": [
      {"length": )" + size + R"(, "sector_size": )" + block + R"(, "image": "d0.img",
       "faults": [{"from": )" + block + R"(, "read_error": 55}]},
      {"length": )" + size + R"(, "sector_size": )" + block + R"(, "image": "d1.img",
       "faults": [{"from": )" + block + R"(, "read_error": 23}]}]})");
  const Handle h0 = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  const Handle h1 = machine->CreateFileW(Drive1, ReadWrite, Share::None);
  std::vector<std::uint8_t> b0(sector), b1(sector);
  const auto end = [&](Handle handle, const std::vector<std::uint8_t>& buffer) {
    Read read;
    read.ok = machine->EndReadFile(handle, read.bytes);
    read.error = read.ok ? 0 : machine->GetLastError();
    read.first = buffer[0];
    return read;
  };
  const auto expect = [](const Read& read, bool ok, std::uint32_t bytes, std::uint32_t error, std::uint8_t first) {
    EXPECT_EQ(read.ok, ok);
    EXPECT_EQ(read.bytes, bytes);
    EXPECT_EQ(read.error, error);
    if (ok) {
      EXPECT_EQ(read.first, first);
    }
  };
  machine->BeginReadFile(h0, 0, b0);
  machine->BeginReadFile(h1, sector, b1);
  expect(end(h0, b0), true, sector, 0, 0x11);
  expect(end(h1, b1), false, 0, 23, 0);
  machine->BeginReadFile(h1, 0, b1);
  machine->BeginReadFile(h0, sector, b0);
  expect(end(h1, b1), true, sector, 0, 0x22);
  expect(end(h0, b0), false, 0, 55, 0);
  expect(end(h0, b0), false, 0, ErrorCode::InvalidHandle, 0);  // no read pending on the handle
}

INSTANTIATE_TEST_SUITE_P(SectorSizes, InterleavedReads, ::testing::Values(512u, 4096u));

TEST(LastError, EachThreadReadsTheCodeOfItsOwnLastCall) {
  Machine machine(R"({"drives": [{"length": 1048576}]})");
  Machine other(R"({"drives": [{"length": 1048576}]})");
  EXPECT_EQ(machine->CreateFileW(u"\\\\.\\PhysicalDrive7", ReadWrite, Share::None), InvalidHandle);
  const std::uint32_t mine = machine->GetLastError();
  ASSERT_NE(mine, 0u);
  std::uint32_t before = 1, after = 0;
  std::thread([&] {
    before = machine->GetLastError();
    std::int64_t position = 0;
    EXPECT_FALSE(machine->SetFilePointerEx(0x7777, 0, position));
    after = machine->GetLastError();
  }).join();
  EXPECT_EQ(before, 0u) << "a thread that has made no call";
  EXPECT_EQ(after, ErrorCode::InvalidHandle);
  EXPECT_NE(after, mine);
  EXPECT_EQ(machine->GetLastError(), mine) << "the other thread's failure is not this thread's";
  EXPECT_EQ(other->GetLastError(), 0u) << "another machine's calls are not this one's";
}

}  // namespace
}  // namespace trelvane::testing
