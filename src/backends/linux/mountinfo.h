#pragma once
// Lines of /proc/self/mountinfo and /proc/swaps, parsed. Pure functions.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvane::linux_platform {

struct MountEntry {
  std::uint32_t mountId = 0;
  std::uint32_t parentId = 0;
  std::uint32_t major = 0;   // st_dev of the mount; an anonymous 0:N on btrfs, tmpfs, proc ...
  std::uint32_t minor = 0;
  std::string root;          // the folder of the file system mounted here: "/" unless a bind mount
  std::string mountPoint;    // unescaped (\040 becomes a blank)
  std::string mountOptions;  // the mount's own: "rw,nosuid,relatime"
  std::string fsType;
  std::string source;        // the field after the fs type, unescaped ("/dev/sdb1", "tmpfs")
  std::string superOptions;  // the file system's: "rw,errors=remount-ro"
  std::string userOptions;   // mount(8)'s user-space ones ("uhelper=udisks2"); not in mountinfo
};

// One line: "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue".
// nullopt for a line that does not have that shape.
std::optional<MountEntry> ParseMountInfoLine(std::string_view line);

std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The device or file names of /proc/swaps (the first column of every line after the header).
std::vector<std::string> ParseSwaps(std::string_view text);

// Undoes the kernel's octal escapes (\040 blank, \011 tab, \012 line feed, \134 backslash).
std::string UnescapeMountField(std::string_view field);

// The number of path components of a mount point: "/" 0, "/mnt" 1, "/mnt/a b" 2.
std::size_t PathDepth(std::string_view path);

}  // namespace trelvane::linux_platform
