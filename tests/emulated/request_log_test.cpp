// The request log: the order of requests in memory and the JSON lines in the log file.

#include <sstream>

#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(RequestLog, EachCallIsOneJsonLineWithItsOwnKeys) {
  TempDir folder;
  const auto machine = LoadFromFolder(folder.path(), "m.json", R"({"system": {"request_log": "requests.jsonl"},
                                                                   "drives": [{"length": 1048576}]})");
  const Handle drive = machine->CreateFileW(Drive0, Access::GenericRead, Share::ReadWrite);
  std::vector<std::uint8_t> out(512);
  std::uint32_t count = 0;
  machine->DeviceIoControl(drive, Ioctl::DiskGetDriveGeometry, std::vector<std::uint8_t>{0x0A, 0xFF}, out, count);
  machine->WriteFile(drive, std::vector<std::uint8_t>(512), count);
  std::int64_t position = 0;
  machine->SetFilePointerEx(drive, 1024, position);
  machine->FlushFileBuffers(drive);
  machine->CloseHandle(drive);
  machine->GetLocalTime();
  machine->LoadLibraryW(u"SetupApi.dll");
  machine->ShellExecuteW(u"open", u"diskmgmt.msc", ShowCommandShowNormal);

  const std::vector<std::string> expected = {
      R"({"call":"CreateFile","path":"\\\\.\\PhysicalDrive0","access":2147483648,"share":3,"ok":true,"error":0})",
      R"({"call":"DeviceIoControl","path":"\\\\.\\PhysicalDrive0","code":458752,"in":"0aff","out_size":512,)"
      R"("ok":true,"returned":24,"error":0})",
      R"({"call":"WriteFile","path":"\\\\.\\PhysicalDrive0","offset":0,"size":512,"ok":false,"error":5})",
      R"({"call":"SetFilePointerEx","path":"\\\\.\\PhysicalDrive0","offset":1024,"ok":true,"error":0})",
      R"({"call":"FlushFileBuffers","path":"\\\\.\\PhysicalDrive0","ok":false,"error":5})",
      R"({"call":"CloseHandle","path":"\\\\.\\PhysicalDrive0","ok":true,"error":0})",
      R"({"call":"ShellExecute","path":"diskmgmt.msc","verb":"open","ok":true,"error":0})",
  };
  EXPECT_EQ(Lines(ReadTextFile(folder.path() / "requests.jsonl")), expected);

  const auto& requests = machine->Requests();
  ASSERT_EQ(requests.size(), expected.size());
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(requests[i].handle, drive);
  EXPECT_EQ(requests[1].in, (std::vector<std::uint8_t>{0x0A, 0xFF}));
  EXPECT_EQ(requests[1].returned, 24u);
  EXPECT_EQ(requests[6].code, static_cast<std::uint32_t>(ShowCommandShowNormal));
  machine->ClearRequests();
  EXPECT_TRUE(machine->Requests().empty());
}

TEST(RequestLog, LinesAreAppendedToAnExistingLog) {
  TempDir folder;
  WriteTextFile(folder.path() / "requests.jsonl", "earlier\n");
  const auto machine = LoadFromFolder(folder.path(), "m.json", R"({"system": {"request_log": "requests.jsonl"}})");
  machine->CreateFileW(u"\\\\.\\PhysicalDrive7", Access::GenericRead, Share::ReadWrite);
  const auto lines = Lines(ReadTextFile(folder.path() / "requests.jsonl"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "earlier");
  EXPECT_EQ(lines[1], R"({"call":"CreateFile","path":"\\\\.\\PhysicalDrive7","access":2147483648,"share":3,)"
                      R"("ok":false,"error":2})");
}

TEST(RequestLog, LogThatCannotBeOpenedRefusesTheMachine) {
  EXPECT_EQ(MachineError(R"({"system": {"request_log": "no/such/folder/log.jsonl"}})")
                .find("test.json: system.request_log: cannot open "),
            0u);
}

}  // namespace
}  // namespace trelvane::testing
