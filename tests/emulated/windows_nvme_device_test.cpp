// The NVMe commands carried as the storage stack's protocol-specific queries, on the emulated machine
// that answers them as the in-box driver does: the query each command becomes, byte for byte, and
// what a refusal leaves.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "machine_fixture.h"
#include "nvme/nvme_commands.h"
#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {
namespace {

using testing::Machine;

TEST(WindowsNvmeDevice, EachCommandBecomesItsPropertyQuery) {
  Machine machine(R"({"drives": [{"nvme": {"identify_controller": {"4": "41"}, "identify_namespace": {"0": "4e"},
                                            "active_namespaces": {"0": "02000000"}, "smart_log": {"0": "1f"}}}]})");
  struct Case {
    NvmeCommand command;
    std::uint32_t size;
    std::uint32_t property;   // 49 adapter, 50 device
    std::uint32_t dataType;   // 1 Identify, 2 log page
    std::uint32_t value;      // CNS or log id
    std::uint32_t subValue;   // the namespace of Identify Namespace
    std::size_t dataOffset;
    std::uint8_t dataByte;
  };
  const Case cases[] = {
      {IdentifyControllerCommand(), 4096, 49, 1, 1, 0, 4, 0x41},
      {ActiveNamespaceListCommand(), 4096, 49, 1, 2, 0, 0, 0x02},
      {IdentifyNamespaceCommand(), 4096, 50, 1, 0, 1, 0, 0x4E},
      {HealthLogCommand(), 512, 50, 2, 2, 0, 0, 0x1F},
  };
  const Handle handle = machine->CreateFileW(testing::Drive0, testing::ReadWrite, Share::ReadWrite);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    machine->ClearRequests();
    std::vector<std::uint8_t> data(c.size, 0xEE);
    NvmeCompletion completion;
    ASSERT_TRUE(machine->NvmeDeviceOf(handle)->Admin(c.command, data, completion));
    EXPECT_EQ(data[c.dataOffset], c.dataByte);
    ASSERT_EQ(machine->Requests().size(), 1u);
    const RecordedRequest& request = machine->Requests()[0];
    EXPECT_EQ(request.code, Ioctl::StorageQueryProperty);
    EXPECT_EQ(request.outSize, 48 + c.size);
    std::vector<std::uint8_t> expected(48 + c.size, 0);
    for (const auto& [offset, value] : std::array<std::pair<std::size_t, std::uint32_t>, 7>{
             {{0, c.property}, {8, 3}, {12, c.dataType}, {16, c.value}, {20, c.subValue}, {24, 40}, {28, c.size}}})
      WriteU32LE(expected, offset, value);
    EXPECT_EQ(request.in, expected);
  }
}

TEST(WindowsNvmeDevice, RefusalsLeaveTheDataAndNameTheError) {
  Machine machine(R"({"drives": [{"nvme": {"log_error": 21}}]})");
  const Handle handle = machine->CreateFileW(testing::Drive0, testing::ReadWrite, Share::ReadWrite);
  NvmeCommand format;
  format.opcode = 0x80;
  struct Case {
    NvmeCommand command;
    std::uint32_t systemError;
    std::size_t requests;
  };
  // The driver's refusal; the list the machine file does not give; a command the query cannot carry.
  for (const Case& c : {Case{HealthLogCommand(), 21, 1}, Case{ActiveNamespaceListCommand(), 50, 1},
                        Case{format, 50, 0}}) {
    machine->ClearRequests();
    std::vector<std::uint8_t> data(c.command.opcode == NvmeOpcode::GetLogPage ? 512 : 4096, 0xEE);
    const std::vector<std::uint8_t> before = data;
    NvmeCompletion completion;
    EXPECT_FALSE(machine->NvmeDeviceOf(handle)->Admin(c.command, data, completion));
    EXPECT_EQ(completion.systemError, c.systemError);
    EXPECT_EQ(machine->Requests().size(), c.requests);
    EXPECT_EQ(data, before);
  }
}

}  // namespace
}  // namespace trelvane
