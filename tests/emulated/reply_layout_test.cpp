// The fixed-layout replies of drives and volumes, byte by byte, with the returned counts; and the
// shared reply layouts where neither backend's tests reach: the header fields only the Linux backend
// fills, an inquiry address off bus 0 / unit 0, and the INQUIRY data the emulated machine makes from
// its strings.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "backends/driver_model/reply_layouts.h"
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

// Little-endian fields of an answer: offset, width in bytes, value.
struct Field {
  std::size_t at;
  std::size_t width;
  std::uint64_t value;
};

std::uint64_t FieldAt(const std::vector<std::uint8_t>& bytes, const Field& field) {
  std::uint64_t value = 0;
  for (std::size_t i = field.width; i-- > 0;) value = (value << 8) | bytes.at(field.at + i);
  return value;
}

// The fixed layouts of each drive request with their returned counts, or the drivers' refusal.
TEST(DriveReplies, FixedLayoutsAndReturnedCounts) {
  Machine machine(R"({"drives": [
      {"number": 0, "adapter": {"bus_type": 3, "max_transfer": 65536}, "smart_version": {"device_map": 2},
       "inquiry": {"byte13": 1}, "device": {"vendor": "ATA", "product": "P"}},
      {"number": 1, "sector_size": 4096, "length": 1000000000000, "device": {"removable": true},
       "smart_version": null, "inquiry": null},
      {"number": 2, "length": 1099511627776}, {"number": 5},
      {"number": 3, "geometry_error": 21, "length_fails": true, "adapter_error": 50, "device_fails": true,
       "device_error": 1117}]})");
  struct Case {
    int drive;
    std::uint32_t code;
    std::vector<std::uint8_t> in;
    std::size_t outSize;
    std::uint32_t returnedOrError;  // the count returned, or the error of a refusal (no fields)
    std::vector<Field> fields;
  };
  const Case cases[] = {
      {0, Ioctl::DiskGetDriveGeometry, {}, 24, 24,
       {{0, 8, 500107862016ull / (255 * 63 * 512)}, {8, 4, 12}, {12, 4, 255}, {16, 4, 63}, {20, 4, 512}}},
      {1, Ioctl::DiskGetDriveGeometry, {}, 24, 24, {{0, 8, 1000000000000ull / (255 * 63 * 4096)}, {8, 4, 11}, {20, 4, 4096}}},
      {2, Ioctl::DiskGetLengthInfo, std::vector<std::uint8_t>(512), 512, 8, {{0, 8, 1099511627776ull}}},
      {0, Ioctl::StorageQueryProperty, PropertyQuery(StorageProperty::Adapter), 512, 32,
       {{0, 4, 32}, {4, 4, 32}, {8, 4, 65536}, {24, 1, 3}, {25, 1, 0}}},
      {0, Ioctl::SmartGetVersion, {}, 28, 24, {{0, 4, 0x02000101}, {4, 8, 7}, {12, 8, 0}, {20, 8, 0}}},
      {1, Ioctl::SmartGetVersion, {}, 28, ErrorCode::InvalidFunction, {}},
      // One bus with one logical unit, the record after the 12-byte bus table, the target id at byte
      // 13, 36 bytes of INQUIRY data whose vendor is "ATA" padded with blanks.
      {0, Ioctl::ScsiGetInquiryData, {}, 512, 60,
       {{0, 1, 1}, {4, 1, 1}, {8, 4, 12}, {13, 1, 1}, {16, 4, 36}, {32, 8, 0x2020202020415441}}},
      {1, Ioctl::ScsiGetInquiryData, {}, 512, ErrorCode::InvalidFunction, {}},
      {5, Ioctl::StorageGetDeviceNumber, {}, 1024, 12, {{0, 4, 7}, {4, 4, 5}, {8, 4, 0}}},
      // Buffers too small and queries unknown are refused as drivers refuse them.
      {0, Ioctl::DiskGetDriveGeometry, {}, 23, ErrorCode::InsufficientBuffer, {}},
      {0, Ioctl::StorageQueryProperty, PropertyQuery(2), 512, ErrorCode::NotSupported, {}},
      {0, Ioctl::StorageQueryProperty, {1, 0, 0, 0}, 512, ErrorCode::InvalidParameter, {}},
      {0, 0x00074004, {}, 512, ErrorCode::InvalidFunction, {}},
      // Scripted failures carry their code; "fails" means code zero.
      {3, Ioctl::DiskGetDriveGeometry, {}, 512, 21, {}},
      {3, Ioctl::DiskGetLengthInfo, {}, 512, 0, {}},
      {3, Ioctl::StorageQueryProperty, PropertyQuery(StorageProperty::Adapter), 512, 50, {}},
      {3, Ioctl::StorageQueryProperty, PropertyQuery(StorageProperty::Device), 512, 1117, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "drive " << c.drive << ", code " << c.code);
    const Handle handle = OpenProbe(machine, (u"\\\\.\\PhysicalDrive" + std::u16string(1, static_cast<char16_t>(u'0' + c.drive))).c_str());
    const Answer answer = Ask(*machine, handle, c.code, c.in, c.outSize);
    EXPECT_EQ(answer.ok, !c.fields.empty());
    EXPECT_EQ(answer.ok ? answer.returned : answer.error, c.returnedOrError);
    if (!answer.ok) {
      EXPECT_EQ(answer.returned, 0u);
    }
    for (const Field& field : c.fields) EXPECT_EQ(FieldAt(answer.out, field), field.value) << "byte " << field.at;
    machine->CloseHandle(handle);
  }
  // The probe passes one buffer as both input and output: nothing beyond the 24 bytes is written.
  std::vector<std::uint8_t> buffer(512, 0xEE);
  std::uint32_t returned = 0;
  ASSERT_TRUE(machine->DeviceIoControl(OpenProbe(machine), Ioctl::DiskGetDriveGeometry, buffer, buffer, returned));
  EXPECT_EQ(ReadU32LE(buffer, 20), 512u);
  EXPECT_EQ(buffer[24], 0xEE);
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

// A drive's number is a row of DriveReplies.FixedLayoutsAndReturnedCounts.
TEST(DeviceNumber, VolumeAnswersItsScriptedTriple) {
  Machine machine(R"({"volumes": [{"root": "C:\\", "device_type": 2, "device_number": 5, "partition": 3},
                                  {"root": "D:\\", "device_number_error": 55}],
                      "drives": [{"number": 5}]})");
  const Handle c = machine->CreateFileW(u"\\\\.\\C:", Access::None, Share::ReadWrite);
  const Answer volume = Ask(*machine, c, Ioctl::StorageGetDeviceNumber, {}, 1024);
  ASSERT_TRUE(volume.ok);
  EXPECT_EQ(std::vector<std::uint8_t>(volume.out.begin(), volume.out.begin() + 12),
            (std::vector<std::uint8_t>{2, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0}));
  const Handle d = machine->CreateFileW(u"\\\\.\\D:", Access::None, Share::ReadWrite);
  EXPECT_EQ(Ask(*machine, d, Ioctl::StorageGetDeviceNumber, {}, 1024).error, 55u);
}

std::string TextAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + width));
}

TEST(DeviceDescriptorReply, DeviceTypeIsByte8AndBusTypeAFullWordAt28) {
  const auto reply = DeviceDescriptorReply(DescriptorStrings{}, DeviceFacts{0x1F, false, 0xFF});
  ASSERT_EQ(reply.size(), 40u);
  EXPECT_EQ(reply[8], 0x1F);
  EXPECT_EQ(reply[9], 0) << "DeviceTypeModifier";
  EXPECT_EQ(reply[10], 0);
  EXPECT_EQ(reply[11], 0) << "CommandQueueing";
  EXPECT_EQ(ReadU32LE(reply, 28), 0xFFu);
  EXPECT_EQ(ReadU64LE(reply, 32), 0u) << "RawPropertiesLength and RawDeviceProperties";
}

TEST(InquiryDataReply, ChannelIsPathIdLunIsByte14AndTheHostHasNoPlace) {
  std::vector<std::uint8_t> inquiry(96, 0xA5);
  const auto reply = InquiryDataReply(ScsiAddress{0xEE, 2, 3, 4}, inquiry);
  ASSERT_EQ(reply.size(), 24u + 96);
  EXPECT_EQ(reply[12], 2);
  EXPECT_EQ(reply[13], 3);
  EXPECT_EQ(reply[14], 4);
  EXPECT_EQ(ReadU32LE(reply, 16), 96u) << "the length of the data the device gave";
  EXPECT_EQ(ReadU32LE(reply, 20), 0u) << "no next record";
  EXPECT_EQ(std::count(reply.begin(), reply.begin() + 24, 0xEE), 0);
  EXPECT_EQ(reply[23], 0);
  EXPECT_EQ(reply[24], 0xA5);
  EXPECT_EQ(reply.back(), 0xA5);
}

TEST(StandardInquiryData, RemovableBitVersionAndTextsCutOrPaddedToTheirFields) {
  const auto fixed = StandardInquiryData(DescriptorStrings{"VENDORNAME", "P", "12345", "SERIAL"}, false);
  EXPECT_EQ(fixed[0], 0) << "direct-access device";
  EXPECT_EQ(fixed[1], 0x00);
  EXPECT_EQ(fixed[2], 5);
  EXPECT_EQ(fixed[3], 2);
  EXPECT_EQ(fixed[4], 31) << "36 bytes in all";
  EXPECT_EQ(TextAt(fixed, 8, 8), "VENDORNA");
  EXPECT_EQ(TextAt(fixed, 16, 16), "P               ");
  EXPECT_EQ(TextAt(fixed, 32, 4), "1234");

  const auto removable = StandardInquiryData(DescriptorStrings{}, true);
  EXPECT_EQ(removable[1], 0x80);
  EXPECT_EQ(TextAt(removable, 8, 28), std::string(28, ' '));
}

}  // namespace
}  // namespace trelvane::testing
