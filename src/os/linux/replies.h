#pragma once
// The Linux backend's choices within the shared reply layouts (os/driver_model/reply_layouts.h): the facts
// it gathers from sysfs and the device fill them; only the SMART capabilities are fixed here.

#include <array>
#include <cstdint>

#include "os/driver_model/reply_layouts.h"

namespace trelvane::linux_platform {

// The descriptor strings as this backend reads them; the serial is stored so that the program's
// byte-pair swap shows it right.
using DeviceStrings = DescriptorStrings;

// GETVERSIONINPARAMS for a libata disk: IDENTIFY and SMART commands. No ATAPI IDENTIFY bit: the
// backend answers SMART only for ATA disks, never for packet devices.
inline std::array<std::uint8_t, 24> SmartVersionReply(std::uint8_t deviceMap) {
  return trelvane::SmartVersionReply(deviceMap, SmartCapability::AtaIdentify | SmartCapability::SmartCommands);
}

}  // namespace trelvane::linux_platform
