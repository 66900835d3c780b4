// Locking a volume and re-reading a disk's partition table.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/linux/errno_map.h"
#include "os/linux/requests.h"
#include "os/linux/volume_lock.h"

namespace trelvane::linux_platform {

namespace {

// BLKRRPART; EBUSY (a partition still open somewhere) is not a failure of the request.
DeviceReply RereadPartitions(int fd) {
  if (ioctl(fd, BLKRRPART) == 0 || errno == EBUSY) return DeviceReply::Success();
  return DeviceReply::Failure(ErrorFromErrno(errno));
}

}  // namespace

DeviceReply LockVolumeRequest(BackendState&, OpenDevice& device, std::span<const std::uint8_t>,
                           std::span<std::uint8_t>) {
  if (device.lockFd >= 0) return DeviceReply::Success();
  const LockOutcome outcome = LockVolume(device.rdev, device.nodePath);
  if (outcome.heldFd < 0) return DeviceReply::Failure(outcome.error);
  device.lockFd = outcome.heldFd;
  return DeviceReply::Success();
}

DeviceReply NothingToDo(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>) {
  return DeviceReply::Success();
}

// The kernel refuses a re-read while any partition of the disk is open, and the volumes locked for
// a format stay open until they are released, right after this request. So while this backend
// holds locks on the disk the re-read waits for the last of them to close.
DeviceReply UpdateProperties(BackendState& state, OpenDevice& device, std::span<const std::uint8_t>,
                          std::span<std::uint8_t>) {
  if (device.rdev != device.diskRdev) return DeviceReply::Success();  // a partition has no table
  if (state.handles.HasLockOnDisk(device.diskRdev)) {
    state.pendingRescans.insert(device.diskRdev);
    return DeviceReply::Success();
  }
  return RereadPartitions(device.fd);
}

void RescanIfUnlocked(BackendState& state, const OpenDevice& closed) {
  if (state.pendingRescans.count(closed.diskRdev) == 0 || state.handles.HasLockOnDisk(closed.diskRdev)) return;
  state.pendingRescans.erase(closed.diskRdev);
  const int fd = open(closed.diskNode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info {};
  // Only the disk the locks were on; its name may have gone to another device meanwhile.
  if (fstat(fd, &info) == 0 && S_ISBLK(info.st_mode) && info.st_rdev == closed.diskRdev) RereadPartitions(fd);
  close(fd);
}

}  // namespace trelvane::linux_platform
