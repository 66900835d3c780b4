#include "backends/linux/sysfs.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "backends/linux/file_descriptor.h"
#include "backends/linux/identity.h"

namespace trelvane::linux_platform {

namespace {

std::string BlockLink(dev_t rdev) {
  return "/sys/dev/block/" + std::to_string(major(rdev)) + ":" + std::to_string(minor(rdev));
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentDir(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::uint32_t ParseUnsigned(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const FileDescriptor fd = OpenFile(path, O_RDONLY | O_CLOEXEC);
  if (!fd.IsOpen()) return std::nullopt;
  std::string text;
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(fd.Get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  return text;
}

std::optional<std::string> ReadAttribute(const std::string& path) {
  auto text = ReadWholeFile(path);
  if (text && !text->empty() && text->back() == '\n') text->pop_back();
  return text;
}

std::optional<std::string> RealPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string text(resolved);
  std::free(resolved);
  return text;
}

std::vector<std::string> ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<dev_t> ParseDevAttribute(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return std::nullopt;
  const std::string majorText = text.substr(0, colon);
  const std::string minorText = TrimBlanks(text.substr(colon + 1));
  if (majorText.find_first_not_of("0123456789") != std::string::npos ||
      minorText.empty() || minorText.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return makedev(ParseUnsigned(majorText), ParseUnsigned(minorText));
}

std::optional<SysfsBlockNode> DescribeBlockDevice(dev_t rdev) {
  const auto dir = RealPath(BlockLink(rdev));
  if (!dir) return std::nullopt;
  SysfsBlockNode device;
  device.rdev = rdev;
  device.sysfsDir = *dir;
  device.name = BaseName(*dir);
  device.diskSysfsDir = *dir;
  device.diskName = device.name;
  device.diskRdev = rdev;
  // A partition's sysfs folder sits inside its disk's folder; never work it out from minor numbers.
  if (const auto partition = ReadAttribute(*dir + "/partition")) {
    device.isPartition = true;
    device.partitionNumber = ParseUnsigned(*partition);
    device.diskSysfsDir = ParentDir(*dir);
    device.diskName = BaseName(device.diskSysfsDir);
    const auto diskDev = ReadAttribute(device.diskSysfsDir + "/dev");
    const auto parsed = diskDev ? ParseDevAttribute(*diskDev) : std::nullopt;
    if (!parsed) return std::nullopt;
    device.diskRdev = *parsed;
  }
  return device;
}

ErrnoFacts GatherErrnoFacts(int fd, dev_t rdev, int error) {
  ErrnoFacts facts;
  if (error == EIO) {
    const auto device = DescribeBlockDevice(rdev);
    if (!device) {
      facts.deviceGone = true;
    } else {
      const auto state = ReadAttribute(device->diskSysfsDir + "/device/state");
      facts.deviceGone = state && TrimBlanks(*state) != "running";
    }
  }
  if ((error == EPERM || error == EACCES) && fd >= 0) {
    int readOnly = 0;
    facts.readOnly = ioctl(fd, BLKROGET, &readOnly) == 0 && readOnly != 0;
  }
  return facts;
}

}  // namespace trelvane::linux_platform
