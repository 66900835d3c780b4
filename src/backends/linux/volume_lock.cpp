#include "backends/linux/volume_lock.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "backends/linux/errno_map.h"
#include "backends/linux/logical_drives.h"
#include "backends/linux/remount.h"
#include "backends/linux/storage_names.h"
#include "backends/linux/sysfs.h"
#include "os/win_constants.h"

namespace trelvane::linux_platform {

namespace {

// More rounds than any real stack of mounts needs; a device that keeps coming back is in use.
constexpr int MaxUnmountRounds = 64;

bool IsCovered(const std::vector<ResolvedMount>& mounts, const MountEntry& mount) {
  for (const ResolvedMount& other : mounts)
    if (other.mount.parentId == mount.mountId && other.mount.mountPoint == mount.mountPoint) return true;
  return false;
}

std::vector<ResolvedMount> ReadResolvedMounts() {
  std::vector<ResolvedMount> resolved;
  for (MountEntry& mount : ReadMounts()) {
    const auto device = MountedDevice(mount);
    resolved.push_back({std::move(mount), device});
  }
  return resolved;
}

// Unmounts every mount of `rdev`, adding each to `unmounted`; 0 or the error code.
std::uint32_t UnmountAll(dev_t rdev, std::vector<MountEntry>& unmounted) {
  for (int round = 0; round < MaxUnmountRounds; ++round) {
    const UnmountChoice choice = ChooseNextUnmount(ReadResolvedMounts(), rdev);
    if (choice.step == UnmountStep::Done) return ErrorCode::Success;
    if (choice.step == UnmountStep::Covered) return ErrorCode::AccessDenied;
    MountEntry mount = choice.mount;
    mount.userOptions = UserOptionsOf(mount.mountId);
    if (umount2(choice.mountPoint.c_str(), UMOUNT_NOFOLLOW) == 0) {
      unmounted.push_back(std::move(mount));
      continue;
    }
    const int error = errno;
    if (error == EINVAL || error == ENOENT) continue;  // unmounted by someone else meanwhile
    return error == EBUSY ? ErrorCode::AccessDenied : ErrorFromErrno(error);
  }
  return ErrorCode::AccessDenied;
}

}  // namespace

UnmountChoice ChooseNextUnmount(const std::vector<ResolvedMount>& mounts, dev_t rdev) {
  UnmountChoice choice;
  std::size_t bestDepth = 0;
  bool anyOurs = false;
  for (const ResolvedMount& entry : mounts) {
    if (entry.device != rdev) continue;
    anyOurs = true;
    if (IsCovered(mounts, entry.mount)) continue;
    const std::size_t depth = PathDepth(entry.mount.mountPoint);
    // ">=": of equal depths the later mount, which sits on top of the earlier ones.
    if (choice.step == UnmountStep::Unmount && depth < bestDepth) continue;
    choice = {UnmountStep::Unmount, entry.mount.mountPoint, entry.mount};
    bestDepth = depth;
  }
  if (anyOurs && choice.step == UnmountStep::Done) choice.step = UnmountStep::Covered;
  return choice;
}

LockOutcome LockVolume(dev_t rdev, const std::string& nodePath) {
  LockOutcome outcome;
  // A volume of storage that is in use through another of its names is in use: refused before
  // anything is unmounted.
  const auto device = DescribeBlockDevice(rdev);
  if (device && AnyInUse(OtherNamesOf(device->diskRdev))) {
    outcome.error = ErrorCode::AccessDenied;
    return outcome;
  }
  outcome.error = UnmountAll(rdev, outcome.unmounted);
  if (outcome.error == ErrorCode::Success) {
    outcome.heldFd = OpenFile(nodePath, O_RDONLY | O_EXCL | O_CLOEXEC);
    // Still claimed: swap, a volume manager, or a file system that was detached elsewhere.
    if (!outcome.heldFd.IsOpen()) outcome.error = errno == EBUSY ? ErrorCode::AccessDenied : ErrorFromErrno(errno);
  }
  if (!outcome.heldFd.IsOpen()) outcome.unrestored = MountAgain(outcome.unmounted);
  return outcome;
}

}  // namespace trelvane::linux_platform
