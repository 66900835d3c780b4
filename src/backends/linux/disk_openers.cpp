#include "backends/linux/disk_openers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

#include "backends/linux/sysfs.h"
#include "text/u16.h"

namespace trelvane::linux_platform {

namespace {

// udev's daemon, its workers (which newer versions name "(udev-worker)") and the tools its rules run.
constexpr std::array<std::u16string_view, 4> ProbePrograms{u"systemd-udevd", u"(udev-worker)", u"udevadm",
                                                           u"blkid"};
// Asked again this many times, a pause apart (about 1 s in all), while only probes hold the disk.
constexpr int ProbeRetries = 10;

std::optional<pid_t> ProcessId(const std::string& name) {
  if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return static_cast<pid_t>(std::strtol(name.c_str(), nullptr, 10));
}

bool HoldsAny(pid_t pid, const std::vector<dev_t>& devices) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  for (const std::string& fd : ListDirectory(folder)) {
    struct stat target {};
    // stat follows the descriptor's link to what it has open, even a node that was since removed.
    if (stat((folder + "/" + fd).c_str(), &target) != 0 || !S_ISBLK(target.st_mode)) continue;
    if (std::find(devices.begin(), devices.end(), target.st_rdev) != devices.end()) return true;
  }
  return false;
}

// The kernel's name of the process (at most 15 bytes, chosen by the process itself): control
// characters are shown as '?', so a name cannot move a terminal's cursor or forge a line.
std::u16string ProgramName(pid_t pid) {
  std::string name = ReadAttribute("/proc/" + std::to_string(pid) + "/comm").value_or("?");
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return FromUtf8(name);
}

}  // namespace

std::vector<dev_t> DiskAndPartitions(dev_t diskRdev) {
  std::vector<dev_t> devices{diskRdev};
  const auto disk = DescribeBlockDevice(diskRdev);
  if (!disk) return devices;
  for (const std::string& entry : ListDirectory(disk->sysfsDir)) {
    const std::string folder = disk->sysfsDir + "/" + entry;
    if (!ReadAttribute(folder + "/partition")) continue;
    const auto dev = ReadAttribute(folder + "/dev");
    if (const auto rdev = dev ? ParseDevAttribute(*dev) : std::nullopt) devices.push_back(*rdev);
  }
  return devices;
}

std::vector<DiskOpener> FindOtherOpeners(const std::vector<dev_t>& devices) {
  std::vector<DiskOpener> openers;
  const pid_t self = getpid();
  for (const std::string& entry : ListDirectory("/proc")) {
    const auto pid = ProcessId(entry);
    if (!pid || *pid == self || !HoldsAny(*pid, devices)) continue;
    openers.push_back(DiskOpener{ProgramName(*pid), static_cast<std::uint32_t>(*pid)});
  }
  std::sort(openers.begin(), openers.end(), [](const DiskOpener& a, const DiskOpener& b) { return a.pid < b.pid; });
  return openers;
}

bool IsProbe(const std::u16string& program) {
  return std::find(ProbePrograms.begin(), ProbePrograms.end(), program) != ProbePrograms.end();
}

std::vector<DiskOpener> OpenersAfterProbes(const std::function<std::vector<DiskOpener>()>& find,
                                           const std::function<void()>& pause) {
  const auto onlyProbes = [](const std::vector<DiskOpener>& openers) {
    return std::all_of(openers.begin(), openers.end(), [](const DiskOpener& o) { return IsProbe(o.program); });
  };
  std::vector<DiskOpener> openers = find();
  for (int retry = 0; retry < ProbeRetries && !openers.empty() && onlyProbes(openers); ++retry) {
    pause();
    openers = find();
  }
  return openers;
}

}  // namespace trelvane::linux_platform
