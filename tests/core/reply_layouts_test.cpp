// The shared reply layouts where neither backend's tests reach: the header fields only the Linux
// backend fills, an inquiry address off bus 0 / unit 0, and the INQUIRY data the emulated machine
// makes from its strings.

#include "backends/driver_model/reply_layouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "os/bytes.h"

namespace trelvane {
namespace {

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
}  // namespace trelvane
