// The protocol-specific storage queries of an emulated NVMe drive: what it answers, how it refuses,
// the ATA requests it no longer takes and the nvme field's own refusals; and the NVMe commands carried
// as those queries, as the in-box driver answers them: the query each command becomes, byte for byte,
// and what a refusal leaves.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "machine_fixture.h"
#include "nvme/nvme_commands.h"
#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {
namespace {

using testing::Ask;
using testing::Machine;

// STORAGE_PROPERTY_QUERY with STORAGE_PROTOCOL_SPECIFIC_DATA (data offset 40, the given length).
std::vector<std::uint8_t> Query(std::uint32_t property, std::uint32_t protocol, std::uint32_t dataType,
                                std::uint32_t value, std::uint32_t length) {
  std::vector<std::uint8_t> in(48, 0);
  WriteU32LE(in, 0, property);
  WriteU32LE(in, 8, protocol);
  WriteU32LE(in, 12, dataType);
  WriteU32LE(in, 16, value);
  WriteU32LE(in, 24, 40);
  WriteU32LE(in, 28, length);
  return in;
}

// One byte short of the protocol structure's end.
std::vector<std::uint8_t> Shortened(std::vector<std::uint8_t> query) {
  query.pop_back();
  return query;
}

constexpr auto Adapter = StorageProperty::AdapterProtocolSpecific;
constexpr auto Device = StorageProperty::DeviceProtocolSpecific;
constexpr auto Nvme = StorageProtocol::TypeNvme;
constexpr auto Identify = StorageProtocol::NvmeDataIdentify;
constexpr auto Log = StorageProtocol::NvmeDataLogPage;

TEST(NvmeQuery, AnswersAndRefusalsPerDrive) {
  Machine machine(R"({"drives": [
      {"number": 0, "nvme": {"identify_controller": {"4": "41"}, "smart_log": {"0": "1f"},
                             "active_namespaces": {"0": "01000000 03000000"}}},
      {"number": 1, "nvme": {"log_error": 21}},
      {"number": 2}]})");
  struct Case {
    std::uint32_t drive;
    std::vector<std::uint8_t> in;
    std::size_t outSize;
    std::uint32_t error;     // 0: answered
    std::size_t dataOffset;  // a byte of the answer and its value
    std::uint8_t dataByte;
  };
  const Case cases[] = {
      {0, Query(Adapter, Nvme, Identify, 1, 4096), 48 + 4096, 0, 48 + 4, 0x41},
      {0, Query(Device, Nvme, Log, 2, 512), 48 + 512, 0, 48, 0x1F},
      {0, Query(Device, Nvme, Identify, 0, 4096), 48 + 4096, 0, 48 + 4, 0x00},
      {0, Query(Device, Nvme, Identify, 1, 4096), 48 + 4096, ErrorCode::NotSupported, 0, 0},  // adapter only
      {0, Query(Adapter, Nvme, Identify, 2, 4096), 48 + 4096, 0, 48 + 4, 0x03},
      {0, Query(Device, Nvme, Identify, 2, 4096), 48 + 4096, ErrorCode::NotSupported, 0, 0},  // adapter only
      {1, Query(Adapter, Nvme, Identify, 2, 4096), 48 + 4096, ErrorCode::NotSupported, 0, 0},  // no list given
      {0, Query(Device, Nvme, Log, 2, 512), 48 + 511, ErrorCode::InsufficientBuffer, 0, 0},
      {0, Query(Device, Nvme, Log, 2, 511), 48 + 512, ErrorCode::InvalidParameter, 0, 0},
      {0, Query(Device, Nvme, Log, 3, 512), 48 + 512, ErrorCode::NotSupported, 0, 0},
      {0, Query(Device, 2, Log, 2, 512), 48 + 512, ErrorCode::NotSupported, 0, 0},
      {0, Shortened(Query(Device, Nvme, Log, 2, 512)), 48 + 512, ErrorCode::InvalidParameter, 0, 0},
      {1, Query(Device, Nvme, Log, 2, 512), 48 + 512, 21, 0, 0},
      {2, Query(Adapter, Nvme, Identify, 1, 4096), 48 + 4096, ErrorCode::NotSupported, 0, 0},
  };
  for (const Case& c : cases) {
    const Handle handle = machine->CreateFileW(u"\\\\.\\PhysicalDrive" + std::u16string(1, static_cast<char16_t>(u'0' + c.drive)),
                                               Access::GenericRead | Access::GenericWrite, Share::ReadWrite);
    const auto answer = Ask(*machine, handle, Ioctl::StorageQueryProperty, c.in, c.outSize);
    machine->CloseHandle(handle);
    SCOPED_TRACE(c.drive);
    EXPECT_EQ(answer.error, c.error);
    if (c.error != 0 || c.dataOffset == 0) continue;
    EXPECT_EQ(answer.returned, c.outSize);
    EXPECT_EQ(answer.out[c.dataOffset], c.dataByte);
  }
}

TEST(NvmeQuery, AnNvmeDriveRefusesAtaRequestsAndReportsTheNvmeBus) {
  Machine machine(R"({"drives": [{"nvme": {}, "identify_words": {"0": 64}}]})");
  const Handle handle = machine->CreateFileW(u"\\\\.\\PhysicalDrive0", Access::GenericRead | Access::GenericWrite, Share::ReadWrite);
  for (const std::uint32_t code : {Ioctl::SmartGetVersion, Ioctl::SmartRcvDriveData, Ioctl::SmartSendDriveCommand,
                                   Ioctl::ScsiMiniport})
    EXPECT_EQ(Ask(*machine, handle, code, std::vector<std::uint8_t>(600, 0), 600).error, ErrorCode::InvalidFunction);
  std::vector<std::uint8_t> adapterQuery(12, 0);
  WriteU32LE(adapterQuery, 0, StorageProperty::Adapter);
  EXPECT_EQ(Ask(*machine, handle, Ioctl::StorageQueryProperty, adapterQuery, 32).out[24], BusTypeNvme);
}

TEST(NvmeQuery, MachineFileRefusesBadBlocks) {
  for (const char* nvme : {R"({"smart_log": {"510": "000000"}})", R"({"smart_log": {"x": "00"}})",
                           R"({"identify_namespace": {"0": "0g"}})", R"({"smart_log": {"0": "000"}})",
                           R"({"identify_controller": "missing.bin"})",
                           R"({"active_namespaces": {"4094": "000000"}})", R"({"namespace": 1})"})
    EXPECT_NE(testing::MachineError(std::string(R"({"drives": [{"nvme": )") + nvme + "}]}"), "") << nvme;
}

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