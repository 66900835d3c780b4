#pragma once
// Reading what the kernel tells about block devices in /sys (and small files in /proc).

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backends/linux/errno_map.h"

namespace trelvane::linux_platform {

// The whole file (procfs and sysfs files report no size, so it is read to its end).
std::optional<std::string> ReadWholeFile(const std::string& path);
// A sysfs attribute without its final line feed.
std::optional<std::string> ReadAttribute(const std::string& path);
std::optional<std::string> RealPath(const std::string& path);
// Entry names of a folder, sorted, without "." and "..".
std::vector<std::string> ListDirectory(const std::string& path);
// "8:16" -> the device number.
std::optional<dev_t> ParseDevAttribute(const std::string& text);

// A block device as sysfs describes it; for a partition also its whole disk.
struct SysfsBlockNode {
  dev_t rdev = 0;
  std::string name;        // kernel name: "sdb1", "loop3p1", "dm-0"
  std::string sysfsDir;    // real path of /sys/dev/block/M:m
  bool isPartition = false;
  std::uint32_t partitionNumber = 0;
  std::string diskName;
  std::string diskSysfsDir;
  dev_t diskRdev = 0;
};

std::optional<SysfsBlockNode> DescribeBlockDevice(dev_t rdev);

// The facts that tell an unplugged or read-only device from other failures (errno_map.h).
ErrnoFacts GatherErrnoFacts(int fd, dev_t rdev, int error);

}  // namespace trelvane::linux_platform
