#pragma once
// The Linux backend's choices within the shared reply layouts (backends/driver_model/reply_layouts.h): the facts
// it gathers from sysfs and the device fill them.

#include "backends/driver_model/reply_layouts.h"

namespace trelvane::linux_platform {

// The descriptor strings as this backend reads them; the serial is stored so that the program's
// byte-pair swap shows it right.
using DeviceStrings = DescriptorStrings;

}  // namespace trelvane::linux_platform
