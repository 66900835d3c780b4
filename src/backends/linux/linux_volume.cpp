// Volume numbers and locks, and re-reading a disk's partition table after a run.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "backends/linux/disk_claim.h"
#include "backends/linux/errno_map.h"
#include "os/win_constants.h"
#include "backends/linux/file_descriptor.h"
#include "backends/linux/linux_block_device.h"
#include "backends/linux/remount.h"
#include "backends/linux/sysfs.h"
#include "backends/linux/volume_lock.h"

namespace trelvane::linux_platform {

namespace {

constexpr int MaxStackDepth = 8;  // dm over md over partitions ...
constexpr QueryStatus Done{true, 0};

QueryStatus Failed(std::uint32_t error) { return {false, error}; }

// BLKRRPART; EBUSY (a partition still open somewhere) is not a failure of the request.
QueryStatus RereadPartitions(int fd) {
  if (ioctl(fd, BLKRRPART) == 0 || errno == EBUSY) return Done;
  return Failed(ErrorFromErrno(errno));
}

// The block device under a device-mapper or md device: its first slave, followed down.
std::optional<SysfsBlockNode> UnderlyingDevice(SysfsBlockNode device) {
  for (int depth = 0; depth < MaxStackDepth; ++depth) {
    const std::vector<std::string> slaves = ListDirectory(device.sysfsDir + "/slaves");
    if (slaves.empty()) return device;
    const auto dev = ReadAttribute("/sys/class/block/" + slaves.front() + "/dev");
    const auto rdev = dev ? ParseDevAttribute(*dev) : std::nullopt;
    const auto slave = rdev ? DescribeBlockDevice(*rdev) : std::nullopt;
    if (!slave) return std::nullopt;
    device = *slave;
  }
  return std::nullopt;
}

}  // namespace

// The kernel refuses a re-read while any partition of the disk is open, and the volumes locked for
// a format stay open until they are released, right after this request. So while this backend
// holds locks on the disk the re-read waits for the last of them to close.
// It follows the zero fill, so the drive's claim of the disk ends here too: the locks that share the
// claim keep the partitions unmounted until they are released.
QueryStatus LinuxBlockDevice::UpdateProperties() {
  OpenDevice* device = state_.handles.Find(drive_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  ReleaseClaim(*device);
  if (device->rdev != device->diskRdev) return Done;  // a partition has no table
  if (state_.handles.HasLockOnDisk(device->diskRdev)) {
    state_.pendingRescans.insert(device->diskRdev);
    return Done;
  }
  return RereadPartitions(device->fd.Get());
}

// A device on a disk outside the drive list has no drive number and fails, so it can never be taken
// for a listed drive.
QueryStatus LinuxVolume::Number(VolumeNumber& number) {
  const OpenDevice* device = state_.handles.Find(volume_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  const auto described = DescribeBlockDevice(device->rdev);
  if (!described) return Failed(ErrorCode::DevNotExist);
  const auto underlying = UnderlyingDevice(*described);
  if (!underlying) return Failed(ErrorCode::InvalidFunction);
  const auto drive = state_.Drives().NumberOf(underlying->diskRdev);
  if (!drive) return Failed(ErrorCode::InvalidFunction);
  number.deviceType = FileDeviceDisk;
  number.deviceNumber = *drive;
  number.partitionNumber = underlying->isPartition ? underlying->partitionNumber : 0;
  return Done;
}

QueryStatus LinuxVolume::Lock() {
  OpenDevice* device = state_.handles.Find(volume_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  if (device->lockFd.IsOpen()) return Done;
  LockOutcome outcome = LockVolume(device->rdev, device->nodePath);
  state_.unrestoredMounts.insert(state_.unrestoredMounts.end(), outcome.unrestored.begin(), outcome.unrestored.end());
  if (!outcome.heldFd.IsOpen()) return Failed(outcome.error);
  device->lockFd = std::move(outcome.heldFd);
  device->unmounted = outcome.unmounted;
  return Done;
}

QueryStatus LinuxVolume::Dismount() {
  return state_.handles.Find(volume_) != nullptr ? Done : Failed(ErrorCode::InvalidHandle);
}

QueryStatus LinuxVolume::AllowExtendedIo() { return Dismount(); }

// Gives the volume back for a format that was refused: the hold ends and what the lock unmounted is
// mounted again. Fails, with the mount's error, when a file system could not be mounted back.
QueryStatus LinuxVolume::Unlock() {
  OpenDevice* device = state_.handles.Find(volume_);
  if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
  if (!device->lockFd.IsOpen()) return Failed(ErrorCode::NotLocked);
  device->lockFd.Close();
  RescanIfUnlocked(state_, *device);
  const std::vector<UnrestoredMountPoint> failed = state_.remounts.Restore(device->unmounted);
  device->unmounted.clear();
  if (failed.empty()) return Done;
  state_.unrestoredMounts.insert(state_.unrestoredMounts.end(), failed.begin(), failed.end());
  return Failed(failed.front().error);
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
