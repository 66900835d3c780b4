#include "os/linux/remount.h"

#include <sys/mount.h>

#include <array>
#include <cerrno>
#include <map>
#include <utility>

namespace trelvane::linux_platform {

namespace {

// The per-mount options of mountinfo and their mount(2) flags; "rw" and the rest carry no flag.
constexpr std::array<std::pair<std::string_view, unsigned long>, 11> MountFlags{{
    {"ro", MS_RDONLY},
    {"nosuid", MS_NOSUID},
    {"nodev", MS_NODEV},
    {"noexec", MS_NOEXEC},
    {"sync", MS_SYNCHRONOUS},
    {"dirsync", MS_DIRSYNC},
    {"noatime", MS_NOATIME},
    {"nodiratime", MS_NODIRATIME},
    {"relatime", MS_RELATIME},
    {"strictatime", MS_STRICTATIME},
    {"lazytime", MS_LAZYTIME},
}};

template <typename Each>
void ForEachOption(std::string_view options, Each each) {
  std::size_t start = 0;
  while (start <= options.size()) {
    std::size_t comma = options.find(',', start);
    if (comma == std::string_view::npos) comma = options.size();
    if (comma > start) each(options.substr(start, comma - start));
    start = comma + 1;
  }
}

unsigned long FlagOf(std::string_view option) {
  for (const auto& [name, flag] : MountFlags)
    if (name == option) return flag;
  return 0;
}

// A file system that refuses options it showed (some are shown, never accepted) gets its defaults.
bool MountWithOptions(const MountEntry& mount, const std::string& source, const MountRequest& request) {
  const char* type = mount.fsType.c_str();
  if (::mount(source.c_str(), mount.mountPoint.c_str(), type, request.flags, request.data.c_str()) == 0) return true;
  return errno == EINVAL && ::mount(source.c_str(), mount.mountPoint.c_str(), type, request.flags, nullptr) == 0;
}

bool BindAgain(const std::string& from, const MountEntry& mount) {
  const std::string source = from + (mount.root == "/" ? "" : mount.root);
  return ::mount(source.c_str(), mount.mountPoint.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

}  // namespace

MountRequest MountRequestFor(const MountEntry& mount) {
  MountRequest request;
  ForEachOption(mount.mountOptions, [&](std::string_view option) { request.flags |= FlagOf(option); });
  ForEachOption(mount.superOptions, [&](std::string_view option) {
    if (option == "rw" || option == "ro") return;
    if (!request.data.empty()) request.data += ',';
    request.data += option;
  });
  return request;
}

std::vector<std::string> MountAgain(const std::vector<MountEntry>& unmounted) {
  std::vector<std::string> failed;
  std::map<std::string, std::string> mountedAt;  // source -> the mount point of its file system root
  for (auto mount = unmounted.rbegin(); mount != unmounted.rend(); ++mount) {
    const auto earlier = mountedAt.find(mount->source);
    const bool done = earlier != mountedAt.end()
                          ? BindAgain(earlier->second, *mount)
                          : mount->root == "/" && MountWithOptions(*mount, mount->source, MountRequestFor(*mount));
    if (!done) failed.push_back(mount->mountPoint);
    if (done && mount->root == "/" && earlier == mountedAt.end()) mountedAt[mount->source] = mount->mountPoint;
  }
  return failed;
}

}  // namespace trelvane::linux_platform
