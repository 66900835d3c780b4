// Locking a volume and re-reading a disk's partition table.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "backends/linux/disk_claim.h"
#include "backends/linux/errno_map.h"
#include "backends/linux/file_descriptor.h"
#include "backends/linux/remount.h"
#include "backends/linux/requests.h"
#include "backends/linux/volume_lock.h"

namespace trelvane::linux_platform {

namespace {

// BLKRRPART; EBUSY (a partition still open somewhere) is not a failure of the request.
DeviceReply RereadPartitions(int fd) {
  if (ioctl(fd, BLKRRPART) == 0 || errno == EBUSY) return DeviceReply::Success();
  return DeviceReply::Failure(ErrorFromErrno(errno));
}

}  // namespace

DeviceReply LockVolumeRequest(BackendState& state, OpenDevice& device, std::span<const std::uint8_t>,
                           std::span<std::uint8_t>) {
  if (device.lockFd.IsOpen()) return DeviceReply::Success();
  LockOutcome outcome = LockVolume(device.rdev, device.nodePath);
  state.unrestoredMounts.insert(state.unrestoredMounts.end(), outcome.unrestored.begin(), outcome.unrestored.end());
  if (!outcome.heldFd.IsOpen()) return DeviceReply::Failure(outcome.error);
  device.lockFd = std::move(outcome.heldFd);
  device.unmounted = outcome.unmounted;
  return DeviceReply::Success();
}

// Gives the volume back for a format that was refused: the hold ends and what the lock unmounted is
// mounted again. Fails, with the mount's error, when a file system could not be mounted back.
DeviceReply UnlockVolumeRequest(BackendState& state, OpenDevice& device, std::span<const std::uint8_t>,
                                std::span<std::uint8_t>) {
  if (!device.lockFd.IsOpen()) return DeviceReply::Failure(ErrorCode::NotLocked);
  device.lockFd.Close();
  RescanIfUnlocked(state, device);
  const std::vector<UnrestoredMountPoint> failed = state.remounts.Restore(device.unmounted);
  device.unmounted.clear();
  if (failed.empty()) return DeviceReply::Success();
  state.unrestoredMounts.insert(state.unrestoredMounts.end(), failed.begin(), failed.end());
  return DeviceReply::Failure(failed.front().error);
}

DeviceReply NothingToDo(BackendState&, OpenDevice&, std::span<const std::uint8_t>, std::span<std::uint8_t>) {
  return DeviceReply::Success();
}

// The kernel refuses a re-read while any partition of the disk is open, and the volumes locked for
// a format stay open until they are released, right after this request. So while this backend
// holds locks on the disk the re-read waits for the last of them to close.
// It follows the zero fill, so the drive's claim of the disk ends here too: the locks that share the
// claim keep the partitions unmounted until they are released.
DeviceReply UpdateProperties(BackendState& state, OpenDevice& device, std::span<const std::uint8_t>,
                             std::span<std::uint8_t>) {
  ReleaseClaim(device);
  if (device.rdev != device.diskRdev) return DeviceReply::Success();  // a partition has no table
  if (state.handles.HasLockOnDisk(device.diskRdev)) {
    state.pendingRescans.insert(device.diskRdev);
    return DeviceReply::Success();
  }
  return RereadPartitions(device.fd.Get());
}

void RescanIfUnlocked(BackendState& state, const OpenDevice& closed) {
  if (state.pendingRescans.count(closed.diskRdev) == 0 || state.handles.HasLockOnDisk(closed.diskRdev)) return;
  state.pendingRescans.erase(closed.diskRdev);
  const FileDescriptor fd = OpenFile(closed.diskNode, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (!fd.IsOpen()) return;
  struct stat info {};
  // Only the disk the locks were on; its name may have gone to another device meanwhile.
  if (fstat(fd.Get(), &info) == 0 && S_ISBLK(info.st_mode) && info.st_rdev == closed.diskRdev)
    RereadPartitions(fd.Get());
}

}  // namespace trelvane::linux_platform
