#pragma once
// The real Linux backend: block devices, ioctl, SG_IO ATA pass-through, sysfs, mountinfo, umount.

#include <memory>

#include "os/system.h"

namespace trelvane {

// `argv0` helps find the program path when /proc is not mounted.
std::unique_ptr<System> MakeLinuxSystem(const char* argv0);

}  // namespace trelvane
