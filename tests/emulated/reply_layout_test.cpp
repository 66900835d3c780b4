// The fixed-layout replies of drives and volumes, byte by byte, with the returned counts.

#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

std::vector<std::uint8_t> PropertyQuery(std::uint32_t property) {
  std::vector<std::uint8_t> query(12, 0);
  WriteU32LE(query, 0, property);
  return query;
}

Handle OpenProbe(Machine& machine, const char16_t* path = Drive0) {
  return machine->CreateFileW(path, Access::GenericRead, Share::ReadWrite);
}

TEST(DriveReplies, GeometryIsTheDiskGeometryLayout) {
  Machine machine(R"({"drives": [{}, {"number": 1, "sector_size": 4096, "length": 1000000000000,
                                     "device": {"removable": true}}]})");
  // The probe passes one buffer as both input and output.
  std::vector<std::uint8_t> buffer(512, 0xEE);
  std::uint32_t returned = 0;
  ASSERT_TRUE(machine->DeviceIoControl(OpenProbe(machine), Ioctl::DiskGetDriveGeometry, buffer, buffer, returned));
  EXPECT_EQ(returned, 24u);
  EXPECT_EQ(ReadU64LE(buffer, 0), 500107862016ull / (255 * 63 * 512));
  EXPECT_EQ(ReadU32LE(buffer, 8), 12u);
  EXPECT_EQ(ReadU32LE(buffer, 12), 255u);
  EXPECT_EQ(ReadU32LE(buffer, 16), 63u);
  EXPECT_EQ(ReadU32LE(buffer, 20), 512u);
  EXPECT_EQ(buffer[24], 0xEE) << "nothing beyond the 24 bytes is written";

  const Answer removable = Ask(*machine, OpenProbe(machine, u"\\\\.\\PhysicalDrive1"), Ioctl::DiskGetDriveGeometry, {}, 24);
  EXPECT_EQ(ReadU64LE(removable.out, 0), 1000000000000ull / (255 * 63 * 4096));
  EXPECT_EQ(ReadU32LE(removable.out, 8), 11u);
  EXPECT_EQ(ReadU32LE(removable.out, 20), 4096u);
}

TEST(DriveReplies, LengthIsOneSigned64BitCount) {
  Machine machine(R"({"drives": [{"length": 1099511627776}]})");
  const Answer answer = Ask(*machine, OpenProbe(machine), Ioctl::DiskGetLengthInfo, std::vector<std::uint8_t>(512), 512);
  ASSERT_TRUE(answer.ok);
  EXPECT_EQ(answer.returned, 8u);
  EXPECT_EQ(ReadU64LE(answer.out, 0), 1099511627776ull);
}

TEST(DriveReplies, AdapterPropertyIsTheAdapterDescriptor) {
  Machine machine(R"({"drives": [{"adapter": {"bus_type": 3, "max_transfer": 65536}}]})");
  const Answer answer = Ask(*machine, OpenProbe(machine), Ioctl::StorageQueryProperty,
                            PropertyQuery(StorageProperty::Adapter), 512);
  ASSERT_TRUE(answer.ok);
  EXPECT_EQ(answer.returned, 32u);
  EXPECT_EQ(ReadU32LE(answer.out, 0), 32u);
  EXPECT_EQ(ReadU32LE(answer.out, 4), 32u);
  EXPECT_EQ(ReadU32LE(answer.out, 8), 65536u);
  EXPECT_EQ(answer.out[24], 3);
  EXPECT_EQ(answer.out[25], 0);
}

TEST(DriveReplies, DevicePropertyLaysTheStringsOutAfterTheHeader) {
  Machine machine(R"({"drives": [{"device": {"vendor": "", "product": "DEMO DISK 500", "revision": "1.0",
                                             "serial": "2W-D", "removable": true}}]})");
  const Answer answer = Ask(*machine, OpenProbe(machine), Ioctl::StorageQueryProperty,
                            PropertyQuery(StorageProperty::Device), 512);
  ASSERT_TRUE(answer.ok);
  std::vector<std::uint8_t> expected(512, 0);
  const std::uint32_t header[] = {40, 63, 0x00010000, 0, 40, 54, 58};  // byte 10: removable
  for (std::size_t i = 0; i < std::size(header); ++i) WriteU32LE(expected, 4 * i, header[i]);
  const std::string strings("DEMO DISK 500\0" "1.0\0" "2W-D\0", 23);
  std::copy(strings.begin(), strings.end(), expected.begin() + 40);
  EXPECT_EQ(answer.out, expected);
  EXPECT_EQ(answer.returned, 63u);
}

TEST(DriveReplies, DeviceReplyHexReplacesTheWholeReply) {
  // Any case, blanks and (escaped) line breaks between the digits.
  std::string hex;
  for (int i = 0; i < 512; ++i) hex += (i % 2 == 0 ? "aB " : "c0\\n");
  Machine machine(R"({"drives": [{"device_reply_hex": ")" + hex + R"("}]})");
  const Answer answer = Ask(*machine, OpenProbe(machine), Ioctl::StorageQueryProperty,
                            PropertyQuery(StorageProperty::Device), 512);
  ASSERT_TRUE(answer.ok);
  EXPECT_EQ(answer.returned, 512u);
  EXPECT_EQ(answer.out[0], 0xAB);
  EXPECT_EQ(answer.out[1], 0xC0);
  EXPECT_EQ(answer.out[511], 0xC0);
}

TEST(DriveReplies, ScriptedFailuresCarryTheirCodeAndFailsMeansCodeZero) {
  Machine machine(R"({"drives": [{"geometry_error": 21, "length_fails": true, "adapter_error": 50,
                                  "device_fails": true, "device_error": 1117}]})");
  const Handle drive = OpenProbe(machine);
  const std::pair<Answer, std::uint32_t> cases[] = {
      {Ask(*machine, drive, Ioctl::DiskGetDriveGeometry, {}, 512), 21},
      {Ask(*machine, drive, Ioctl::DiskGetLengthInfo, {}, 512), 0},
      {Ask(*machine, drive, Ioctl::StorageQueryProperty, PropertyQuery(StorageProperty::Adapter), 512), 50},
      {Ask(*machine, drive, Ioctl::StorageQueryProperty, PropertyQuery(StorageProperty::Device), 512), 1117},
  };
  for (const auto& [answer, code] : cases) {
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.error, code);
    EXPECT_EQ(answer.returned, 0u);
  }
}

TEST(DriveReplies, BuffersTooSmallOrQueriesUnknownAreRefusedAsDriversDo) {
  Machine machine(R"({"drives": [{}]})");
  const Handle drive = OpenProbe(machine);
  EXPECT_EQ(Ask(*machine, drive, Ioctl::DiskGetDriveGeometry, {}, 23).error, ErrorCode::InsufficientBuffer);
  EXPECT_EQ(Ask(*machine, drive, Ioctl::StorageQueryProperty, PropertyQuery(2), 512).error, ErrorCode::NotSupported);
  EXPECT_EQ(Ask(*machine, drive, Ioctl::StorageQueryProperty, {1, 0, 0, 0}, 512).error, ErrorCode::InvalidParameter);
  EXPECT_EQ(Ask(*machine, drive, 0x00074004, {}, 512).error, ErrorCode::InvalidFunction);
}

TEST(DriveReplies, SmartVersionGivesTheDeviceMapOrIsRefused) {
  Machine machine(R"({"drives": [{"smart_version": {"device_map": 2}}, {"smart_version": null}]})");
  const Answer answer = Ask(*machine, OpenProbe(machine), Ioctl::SmartGetVersion, {}, 28);
  ASSERT_TRUE(answer.ok);
  EXPECT_EQ(answer.returned, 24u);
  const std::vector<std::uint8_t> expected = {1, 1, 0, 2, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(answer.out, expected);
  const Answer refused = Ask(*machine, OpenProbe(machine, u"\\\\.\\PhysicalDrive1"), Ioctl::SmartGetVersion, {}, 28);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error, ErrorCode::InvalidFunction);
}

TEST(DriveReplies, InquiryDataPutsTheTargetIdAtByte13) {
  Machine machine(R"({"drives": [{"inquiry": {"byte13": 1}, "device": {"vendor": "ATA", "product": "P"}},
                                 {"inquiry": null}]})");
  const Answer answer = Ask(*machine, OpenProbe(machine), Ioctl::ScsiGetInquiryData, {}, 512);
  ASSERT_TRUE(answer.ok);
  EXPECT_EQ(answer.returned, 60u);
  EXPECT_EQ(answer.out[0], 1) << "one bus";
  EXPECT_EQ(answer.out[4], 1) << "one logical unit";
  EXPECT_EQ(ReadU32LE(answer.out, 8), 12u) << "the record follows the 12-byte bus table";
  EXPECT_EQ(answer.out[13], 1);
  EXPECT_EQ(ReadU32LE(answer.out, 16), 36u);
  EXPECT_EQ(std::string(answer.out.begin() + 32, answer.out.begin() + 40), "ATA     ");
  EXPECT_EQ(Ask(*machine, OpenProbe(machine, u"\\\\.\\PhysicalDrive1"), Ioctl::ScsiGetInquiryData, {}, 512).error,
            ErrorCode::InvalidFunction);
}

TEST(DeviceNumber, DriveAnswersItsNumberAndVolumeItsScriptedTriple) {
  Machine machine(R"({"volumes": [{"root": "C:\\", "device_type": 2, "device_number": 5, "partition": 3},
                                  {"root": "D:\\", "device_number_error": 55}],
                      "drives": [{"number": 5}]})");
  const Answer drive = Ask(*machine, OpenProbe(machine, u"\\\\.\\PhysicalDrive5"), Ioctl::StorageGetDeviceNumber, {}, 1024);
  ASSERT_TRUE(drive.ok);
  EXPECT_EQ(drive.returned, 12u);
  EXPECT_EQ(std::vector<std::uint8_t>(drive.out.begin(), drive.out.begin() + 12),
            (std::vector<std::uint8_t>{7, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0}));
  const Handle c = machine->CreateFileW(u"\\\\.\\C:", Access::None, Share::ReadWrite);
  const Answer volume = Ask(*machine, c, Ioctl::StorageGetDeviceNumber, {}, 1024);
  ASSERT_TRUE(volume.ok);
  EXPECT_EQ(std::vector<std::uint8_t>(volume.out.begin(), volume.out.begin() + 12),
            (std::vector<std::uint8_t>{2, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0}));
  const Handle d = machine->CreateFileW(u"\\\\.\\D:", Access::None, Share::ReadWrite);
  EXPECT_EQ(Ask(*machine, d, Ioctl::StorageGetDeviceNumber, {}, 1024).error, 55u);
}

}  // namespace
}  // namespace trelvane::testing
