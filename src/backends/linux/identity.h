#pragma once
// The identity strings a drive reports (vendor, product, revision, serial), from ATA IDENTIFY data
// or from the texts the kernel keeps in sysfs. Pure functions.
//
// The program exchanges the two bytes of every pair of the serial it receives (ATA keeps strings as
// big-endian words), except on the NVMe bus. So the serial is handed over in that swapped form: the
// raw IDENTIFY bytes for ATA disks, and for every other device but NVMe its text padded to an even
// length and pair-swapped, which also keeps an odd-length serial from showing an embedded zero. An
// NVMe serial goes as the controller reports it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "backends/linux/replies.h"

namespace trelvane::linux_platform {

// Product = model (words 27-46), revision = firmware (words 23-26), both in reading order and without
// padding blanks; serial = raw bytes 20-39 (words 10-19) as the device stores them; no vendor.
DeviceStrings AtaIdentityStrings(std::span<const std::uint8_t> identify);

// `serial` padded with a blank to an even length, then every byte pair exchanged.
std::string PreSwapSerial(std::string_view serial);

// The unit serial number of a SCSI VPD page 80h (length in bytes 2-3, text from byte 4), trimmed.
std::string SerialFromVpdPage80(std::span<const std::uint8_t> page);

// Blanks, control characters and zeros removed at both ends.
std::string TrimBlanks(std::string_view text);

}  // namespace trelvane::linux_platform
