// The NVMe commands carried as the storage stack's protocol-specific queries, on the emulated machine
// that answers them as the in-box driver does: the query each command becomes, byte for byte, and
// what a refusal leaves.

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "machine_fixture.h"
#include "nvme/nvme_commands.h"
#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {
namespace {

TEST(WindowsNvmeDevice, EachCommandBecomesItsPropertyQueryAndRefusalsLeaveTheData) {
  testing::Machine machine(R"({"drives": [{"nvme": {"identify_controller": {"4": "41"}, "smart_log": {"0": "1f"},
                                                    "identify_namespace": {"0": "4e"}}},
                                          {"nvme": {"log_error": 21}}]})");
  NvmeCommand unknown;
  unknown.opcode = 0x80;
  struct Case {
    std::u16string drive;
    NvmeCommand command;
    std::uint32_t size, property, dataType, value, subValue;  // the query: 49 adapter / 50 device
    std::uint32_t error;                                      // 0: answered, its first data byte `first`
    std::uint8_t first;
  };
  const std::u16string one = u"\\\\.\\PhysicalDrive1";
  const Case cases[] = {
      {testing::Drive0, IdentifyControllerCommand(), 4096, 49, 1, 1, 0, 0, 0},
      {testing::Drive0, IdentifyNamespaceCommand(), 4096, 50, 1, 0, 1, 0, 0x4E},
      {testing::Drive0, HealthLogCommand(), 512, 50, 2, 2, 0, 0, 0x1F},
      {testing::Drive0, ActiveNamespaceListCommand(), 4096, 49, 1, 2, 0, 50, 0},  // no list in the file
      {one, HealthLogCommand(), 512, 50, 2, 2, 0, 21, 0},
      {one, unknown, 512, 0, 0, 0, 0, 50, 0},  // not carried: no request
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    const Handle handle = machine->CreateFileW(c.drive, testing::ReadWrite, Share::ReadWrite);
    machine->ClearRequests();
    std::vector<std::uint8_t> data(c.size, 0xEE);
    NvmeCompletion completion;
    EXPECT_EQ(machine->NvmeDeviceOf(handle)->Admin(c.command, data, completion), c.error == 0);
    EXPECT_EQ(completion.systemError, c.error);
    EXPECT_EQ(data[0], c.error == 0 ? c.first : 0xEE);
    std::vector<std::uint8_t> query(48 + c.size, 0);
    using Field = std::pair<std::size_t, std::uint32_t>;
    for (const auto& [offset, value] : std::initializer_list<Field>{
             {0, c.property}, {8, 3}, {12, c.dataType}, {16, c.value}, {20, c.subValue}, {24, 40}, {28, c.size}})
      WriteU32LE(query, offset, value);
    ASSERT_EQ(machine->Requests().size(), c.property == 0 ? 0u : 1u);
    if (c.property != 0) {
      EXPECT_EQ(machine->Requests()[0].in, query);
    }
    machine->CloseHandle(handle);
  }
}

}  // namespace
}  // namespace trelvane
