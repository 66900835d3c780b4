// What two erase jobs at once rely on: each handle keeps its own overlapped read, each thread its own
// last error.

#include <thread>

#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

// "<bytes> <first byte>" of a read that succeeded, "error <code>" of one that failed.
std::string End(System& system, Handle handle, const std::vector<std::uint8_t>& buffer) {
  std::uint32_t bytes = 0;
  if (!system.EndReadFile(handle, bytes)) return "error " + std::to_string(system.GetLastError());
  return std::to_string(bytes) + " " + std::to_string(buffer[0]);
}

// Two drives filled with 17 and 34, read faults 55 and 23 from their second sector; reads end crosswise.
TEST(InterleavedReads, EachHandleEndsWithItsOwnDataAndError) {
  for (const std::uint32_t sector : {512u, 4096u}) {
    const std::string at = std::to_string(sector), size = std::to_string(16 * sector);
    TempDir folder;
    const auto drive = [&](const std::string& n, std::uint8_t fill, int error) {
      WriteBinaryFile(folder.path() / ("d" + n + ".img"), std::vector<std::uint8_t>(16 * sector, fill));
      return R"({"length": )" + size + R"(, "sector_size": )" + at + R"(, "image": "d)" + n +
             R"(.img", "faults": [{"from": )" + at + R"(, "read_error": )" + std::to_string(error) + "}]}";
    };
    const std::string drives = drive("0", 17, 55) + "," + drive("1", 34, 23);
    auto machine = LoadFromFolder(folder.path(), "m.json", R"({"drives": [)" + drives + "]}");
    const Handle h0 = machine->CreateFileW(Drive0, ReadWrite, Share::None);
    const Handle h1 = machine->CreateFileW(u"\\\\.\\PhysicalDrive1", ReadWrite, Share::None);
    std::vector<std::uint8_t> b0(sector), b1(sector);
    machine->BeginReadFile(h0, 0, b0);
    machine->BeginReadFile(h1, sector, b1);
    EXPECT_EQ(End(*machine, h0, b0), at + " 17");
    EXPECT_EQ(End(*machine, h1, b1), "error 23");
    machine->BeginReadFile(h1, 0, b1);
    machine->BeginReadFile(h0, sector, b0);
    EXPECT_EQ(End(*machine, h1, b1), at + " 34");
    EXPECT_EQ(End(*machine, h0, b0), "error 55");
    EXPECT_EQ(End(*machine, h0, b0), "error 6") << "no read pending on the handle";
  }
}

TEST(LastError, EachThreadReadsTheCodeOfItsOwnLastCall) {
  Machine machine(R"({"drives": [{"length": 1048576}]})"), other(R"({"drives": []})");
  EXPECT_EQ(machine->CreateFileW(u"\\\\.\\PhysicalDrive7", ReadWrite, Share::None), InvalidHandle);
  std::uint32_t before = 1, after = 0;
  std::thread([&] {
    before = machine->GetLastError();
    std::int64_t position = 0;
    EXPECT_FALSE(machine->SetFilePointerEx(0x7777, 0, position));
    after = machine->GetLastError();
  }).join();
  EXPECT_EQ(before, 0u) << "a thread that has made no call";
  EXPECT_EQ(after, ErrorCode::InvalidHandle);
  EXPECT_EQ(machine->GetLastError(), ErrorCode::FileNotFound) << "not the other thread's failure";
  EXPECT_EQ(other->GetLastError(), 0u) << "another machine's calls are not this one's";
}

}  // namespace
}  // namespace trelvane::testing
