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

TEST(DeviceDescriptorReply, StringsFollowTheHeaderInOrderEachWithItsZero) {
  const DescriptorStrings strings{"ATA     ", "QEMU HARDDISK", "2.5+", "SQTA-A0000 1"};
  const auto reply = DeviceDescriptorReply(strings, DeviceFacts{0, true, 11});
  EXPECT_EQ(ReadU32LE(reply, 0), 40u);
  EXPECT_EQ(ReadU32LE(reply, 4), 40u + 9 + 14 + 5 + 13);
  EXPECT_EQ(reply.size(), ReadU32LE(reply, 4));
  EXPECT_EQ(reply[10], 1);
  EXPECT_EQ(ReadU32LE(reply, 12), 40u);
  EXPECT_EQ(ReadU32LE(reply, 16), 49u);
  EXPECT_EQ(ReadU32LE(reply, 20), 63u);
  EXPECT_EQ(ReadU32LE(reply, 24), 68u);
  EXPECT_EQ(StringAt(reply, 40), "ATA     ");
  EXPECT_EQ(StringAt(reply, 49), "QEMU HARDDISK");
  EXPECT_EQ(StringAt(reply, 68), "SQTA-A0000 1");
  EXPECT_EQ(ReadU32LE(reply, 28), 11u);
}

TEST(DeviceDescriptorReply, AnEmptyStringTakesNoRoomAndHasOffsetZero) {
  const auto reply = DeviceDescriptorReply(DescriptorStrings{"", "DISK", "", ""}, DeviceFacts{});
  EXPECT_EQ(ReadU32LE(reply, 12), 0u);
  EXPECT_EQ(ReadU32LE(reply, 16), 40u);
  EXPECT_EQ(ReadU32LE(reply, 20), 0u);
  EXPECT_EQ(ReadU32LE(reply, 24), 0u);
  EXPECT_EQ(ReadU32LE(reply, 4), 45u);
  EXPECT_EQ(reply[10], 0);
}

TEST(GeometryReply, BytesPerSectorAt20AndCylindersOf255By63) {
  const std::uint64_t length = 255ull * 63 * 512 * 1000 + 7;
  const auto reply = GeometryReply(512, length, false);
  EXPECT_EQ(ReadU64LE(reply, 0), 1000u);
  EXPECT_EQ(ReadU32LE(reply, 8), 12u);
  EXPECT_EQ(ReadU32LE(reply, 12), 255u);
  EXPECT_EQ(ReadU32LE(reply, 16), 63u);
  EXPECT_EQ(ReadU32LE(reply, 20), 512u);
  EXPECT_EQ(ReadU32LE(GeometryReply(4096, 0, true), 8), 11u);
  EXPECT_EQ(ReadU64LE(GeometryReply(0, length, false), 0), 0u);
}

TEST(AdapterDescriptorReply, MaximumTransferAt8AndBusTypeAt24) {
  const auto reply = AdapterDescriptorReply(AdapterFacts{1310720, 128, 511, 15});
  EXPECT_EQ(ReadU32LE(reply, 0), 32u);
  EXPECT_EQ(ReadU32LE(reply, 4), 32u);
  EXPECT_EQ(ReadU32LE(reply, 8), 1310720u);
  EXPECT_EQ(ReadU32LE(reply, 12), 128u);
  EXPECT_EQ(ReadU32LE(reply, 16), 511u);
  EXPECT_EQ(reply[24], 15);
  EXPECT_EQ(reply[25], 0);
}

TEST(InquiryDataReply, TheFirstRecordsTargetIdIsByte13) {
  std::vector<std::uint8_t> inquiry(36, 0x20);
  inquiry[0] = 0;
  const auto reply = InquiryDataReply(ScsiAddress{6, 0, 1, 0}, inquiry);
  ASSERT_EQ(reply.size(), 60u);
  EXPECT_EQ(reply[0], 1);
  EXPECT_EQ(reply[4], 1);
  EXPECT_EQ(reply[5], 7);
  EXPECT_EQ(ReadU32LE(reply, 8), 12u);
  EXPECT_EQ(reply[12], 0);
  EXPECT_EQ(reply[13], 1);
  EXPECT_EQ(reply[15], 1);
  EXPECT_EQ(ReadU32LE(reply, 16), 36u);
  EXPECT_EQ(reply[25], 0x20);
}

TEST(DeviceNumberReply, TypeNumberPartition) {
  const auto reply = DeviceNumberReply(7, 3, 2);
  EXPECT_EQ(ReadU32LE(reply, 0), 7u);
  EXPECT_EQ(ReadU32LE(reply, 4), 3u);
  EXPECT_EQ(ReadU32LE(reply, 8), 2u);
}

}  // namespace
}  // namespace trelvane
