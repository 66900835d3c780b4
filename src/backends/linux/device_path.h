#pragma once
// The device names the program opens, read the Linux way:
//   "\\.\PhysicalDriveN"  the N-th whole disk of the drive list (drive_list.h);
//   "\\.\sdb1"            the block device of that kernel name, /dev/sdb1 (a volume).
// Pure functions.

#include <cstdint>
#include <optional>
#include <string>

namespace trelvane::linux_platform {

struct DevicePath {
  enum class Kind { PhysicalDrive, Volume };
  Kind kind = Kind::Volume;
  std::uint32_t driveNumber = 0;  // PhysicalDrive
  std::string nodePath;           // Volume: "/dev/sdb1"
};

// nullopt for anything else, including names that would leave /dev ("..", "a/b").
std::optional<DevicePath> ParseDevicePath(const std::u16string& path);

}  // namespace trelvane::linux_platform
