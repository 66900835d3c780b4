#include "backends/windows_encoding/windows_block_device.h"

#include <array>

#include "os/bytes.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

using Reply = std::array<std::uint8_t, 512>;

QueryStatus Send(DeviceControlPort& port, Handle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                 std::span<std::uint8_t> out) {
  std::uint32_t returned = 0;
  QueryStatus status;
  status.ok = port.DeviceIoControl(handle, code, in, out, returned);
  if (!status.ok) status.error = port.GetLastError();
  return status;
}

// Geometry and length take one zero-filled 512-byte buffer as both input and output.
QueryStatus SendInPlace(DeviceControlPort& port, Handle handle, std::uint32_t code, Reply& buffer) {
  buffer.fill(0);
  return Send(port, handle, code, buffer, buffer);
}

// STORAGE_PROPERTY_QUERY: PropertyId (bytes 0-3), QueryType 0 = standard (4-7), parameters (8-11).
QueryStatus QueryProperty(DeviceControlPort& port, Handle handle, std::uint32_t propertyId, Reply& reply) {
  std::array<std::uint8_t, 12> query{};
  WriteU32LE(query, 0, propertyId);
  reply.fill(0);
  return Send(port, handle, Ioctl::StorageQueryProperty, query, reply);
}

// A string of STORAGE_DEVICE_DESCRIPTOR: from its offset up to and including the position equal to
// the descriptor's size field, ending before the first zero byte and at the end of the reply.
std::u16string DescriptorString(const Reply& reply, std::uint32_t offset, std::uint32_t size) {
  std::u16string text;
  if (offset == 0) return text;
  for (std::uint64_t position = offset; position <= size && position < reply.size(); ++position) {
    const std::uint8_t byte = reply[static_cast<std::size_t>(position)];
    if (byte == 0) break;
    text += static_cast<char16_t>(byte);
  }
  return text;
}

// The serial's bytes in a 512-byte zero-filled array, read as 256 pairs with the two bytes of every
// pair exchanged.
std::u16string PairSwappedSerial(const std::u16string& raw) {
  std::array<std::uint8_t, 512> bytes{};
  for (std::size_t i = 0; i < raw.size() && i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(raw[i]);
  std::u16string text;
  for (std::size_t k = 0; k < 256; ++k) {
    text += static_cast<char16_t>(bytes[2 * k + 1]);
    text += static_cast<char16_t>(bytes[2 * k]);
  }
  return Trim(text);
}

}  // namespace

// BytesPerSector is bytes 20-23 of DISK_GEOMETRY.
QueryStatus WindowsBlockDevice::SectorSize(std::uint32_t& bytes) {
  Reply buffer{};
  const QueryStatus status = SendInPlace(port_, drive_, Ioctl::DiskGetDriveGeometry, buffer);
  bytes = ReadU32LE(buffer, 20);
  return status;
}

QueryStatus WindowsBlockDevice::Length(std::uint64_t& bytes) {
  Reply buffer{};
  const QueryStatus status = SendInPlace(port_, drive_, Ioctl::DiskGetLengthInfo, buffer);
  bytes = ReadU64LE(buffer, 0);
  return status;
}

// STORAGE_ADAPTER_DESCRIPTOR: MaximumTransferLength at 8, BusType at 24.
QueryStatus WindowsBlockDevice::Adapter(AdapterInfo& adapter) {
  Reply reply{};
  const QueryStatus status = QueryProperty(port_, drive_, StorageProperty::Adapter, reply);
  if (!status.ok) return status;
  adapter.maxTransferBytes = ReadU32LE(reply, 8);
  adapter.busType = reply[24];
  return status;
}

// STORAGE_DEVICE_DESCRIPTOR: Size at 4, RemovableMedia at 10, the string offsets at 12, 16, 20, 24.
QueryStatus WindowsBlockDevice::Identity(std::uint8_t busType, DriveIdentity& identity) {
  Reply reply{};
  const QueryStatus status = QueryProperty(port_, drive_, StorageProperty::Device, reply);
  const std::uint32_t size = ReadU32LE(reply, 4);
  identity.vendor = DescriptorString(reply, ReadU32LE(reply, 12), size);
  identity.product = DescriptorString(reply, ReadU32LE(reply, 16), size);
  identity.revision = DescriptorString(reply, ReadU32LE(reply, 20), size);
  const std::u16string serial = DescriptorString(reply, ReadU32LE(reply, 24), size);
  identity.serial = busType == BusTypeNvme ? serial : PairSwappedSerial(serial);
  identity.removable = reply[10] != 0;
  identity.rawReply.assign(reply.begin(), reply.end());
  return status;
}

bool WindowsBlockDevice::IdeSlave() {
  // GETVERSIONINPARAMS byte 3 is the IDE device map: bits 0x02, 0x08, 0x20 and 0x80 are the slave
  // positions of the primary and secondary channels (ATA and ATAPI).
  std::array<std::uint8_t, 28> version{};
  std::uint32_t returned = 0;
  if (port_.DeviceIoControl(drive_, Ioctl::SmartGetVersion, {}, version, returned))
    return (version[3] & (0x02 | 0x08 | 0x20 | 0x80)) != 0;

  // With one bus whose first inquiry record follows the 12-byte bus table, byte 13 is that record's
  // target id, odd for the second device on a channel.
  Reply inquiry{};
  if (port_.DeviceIoControl(drive_, Ioctl::ScsiGetInquiryData, {}, inquiry, returned))
    return (inquiry[13] & 1) != 0;
  return false;
}

QueryStatus WindowsBlockDevice::Writable() { return Send(port_, drive_, Ioctl::DiskIsWritable, {}, {}); }

QueryStatus WindowsBlockDevice::UpdateProperties() {
  return Send(port_, drive_, Ioctl::DiskUpdateProperties, {}, {});
}

}  // namespace trelvane
