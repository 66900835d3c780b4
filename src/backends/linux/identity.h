#pragma once
// The identity strings a drive reports (vendor, product, revision, serial), from ATA IDENTIFY data
// or from the texts the kernel keeps in sysfs. Pure functions.
//
// Every text is handed on in reading order; an ATA serial, which IDENTIFY keeps as big-endian words,
// has the two bytes of every pair exchanged.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trelvane::linux_platform {

// The identity texts of a drive, as bytes.
struct DeviceStrings {
  std::string vendor;
  std::string product;
  std::string revision;
  std::string serial;
};

// Product = model (words 27-46), revision = firmware (words 23-26), both without padding blanks;
// serial = words 10-19 up to their first zero byte, a final odd byte paired with a zero; no vendor.
DeviceStrings AtaIdentityStrings(std::span<const std::uint8_t> identify);

// The unit serial number of a SCSI VPD page 80h (length in bytes 2-3, text from byte 4), trimmed.
std::string SerialFromVpdPage80(std::span<const std::uint8_t> page);

// Blanks, control characters and zeros removed at both ends.
std::string TrimBlanks(std::string_view text);

}  // namespace trelvane::linux_platform
