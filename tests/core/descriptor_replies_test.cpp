// Reply layouts of the property, geometry, version, inquiry and device-number requests.

#include "backends/driver_model/reply_layouts.h"

#include <gtest/gtest.h>

#include <string>

#include "os/bytes.h"

namespace trelvane {
namespace {

std::string StringAt(const std::vector<std::uint8_t>& reply, std::uint32_t offset) {
  std::string text;
  for (std::size_t i = offset; i < reply.size() && reply[i] != 0; ++i) text += static_cast<char>(reply[i]);
  return text;
}

// What a reply holds at an offset: a byte (1), a little-endian 32-bit (4) or 64-bit (8) number.
struct Field {
  std::size_t offset;
  int width;
  std::uint64_t value;
};

template <typename Bytes>
std::vector<std::uint8_t> Vector(const Bytes& bytes) {
  return {bytes.begin(), bytes.end()};
}

std::uint64_t ValueAt(const std::vector<std::uint8_t>& reply, const Field& field) {
  if (field.width == 1) return reply.at(field.offset);
  return field.width == 4 ? ReadU32LE(reply, field.offset) : ReadU64LE(reply, field.offset);
}

// The device descriptor's strings follow its 40-byte header in order, each with its zero, and an
// empty string takes no room and has offset 0; the geometry has the bytes per sector at 20 and
// cylinders of 255 by 63 (none without a sector size); the adapter's maximum transfer is at 8, its
// bus type at 24; the first inquiry record's target ID is byte 13.
TEST(DescriptorReplies, FieldsOfEachLayout) {
  const std::uint64_t length = 255ull * 63 * 512 * 1000 + 7;
  std::vector<std::uint8_t> inquiry(36, 0x20);
  inquiry[0] = 0;
  const std::vector<std::uint8_t> described =
      DeviceDescriptorReply({"ATA     ", "QEMU HARDDISK", "2.5+", "SQTA-A0000 1"}, DeviceFacts{0, true, 11});
  const std::tuple<const char*, std::vector<std::uint8_t>, std::size_t, std::vector<Field>> cases[] = {
      {"device", described, 81,
       {{0, 4, 40}, {4, 4, 81}, {10, 1, 1}, {12, 4, 40}, {16, 4, 49}, {20, 4, 63}, {24, 4, 68}, {28, 4, 11}}},
      {"device, empty strings", DeviceDescriptorReply({"", "DISK", "", ""}, DeviceFacts{}), 45,
       {{12, 4, 0}, {16, 4, 40}, {20, 4, 0}, {24, 4, 0}, {4, 4, 45}, {10, 1, 0}}},
      {"geometry", Vector(GeometryReply(512, length, false)), 24, {{0, 8, 1000}, {8, 4, 12}, {12, 4, 255}, {16, 4, 63}, {20, 4, 512}}},
      {"geometry, removable", Vector(GeometryReply(4096, 0, true)), 24, {{8, 4, 11}}},
      {"geometry, no sector size", Vector(GeometryReply(0, length, false)), 24, {{0, 8, 0}}},
      {"adapter", Vector(AdapterDescriptorReply(AdapterFacts{1310720, 128, 511, 15})), 32,
       {{0, 4, 32}, {4, 4, 32}, {8, 4, 1310720}, {12, 4, 128}, {16, 4, 511}, {24, 1, 15}, {25, 1, 0}}},
      {"inquiry", InquiryDataReply(ScsiAddress{6, 0, 1, 0}, inquiry), 60,
       {{0, 1, 1}, {4, 1, 1}, {5, 1, 7}, {8, 4, 12}, {12, 1, 0}, {13, 1, 1}, {15, 1, 1}, {16, 4, 36}, {25, 1, 0x20}}},
      {"device number", Vector(DeviceNumberReply(7, 3, 2)), 12, {{0, 4, 7}, {4, 4, 3}, {8, 4, 2}}},
  };
  for (const auto& [name, reply, size, fields] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(reply.size(), size);
    for (const Field& field : fields) EXPECT_EQ(ValueAt(reply, field), field.value) << "at " << field.offset;
  }
  EXPECT_EQ(StringAt(described, 40) + "|" + StringAt(described, 49) + "|" + StringAt(described, 68),
            "ATA     |QEMU HARDDISK|SQTA-A0000 1");
}

}  // namespace
}  // namespace trelvane
