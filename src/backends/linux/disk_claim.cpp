#include "backends/linux/disk_claim.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "backends/linux/disk_openers.h"
#include "backends/linux/storage_names.h"
#include "backends/linux/sysfs.h"
#include "backends/linux/system_info.h"
#include "os/win_constants.h"

namespace trelvane::linux_platform {

namespace {

FileDescriptor OpenExclusive(const std::string& nodePath) { return OpenFile(nodePath, O_RDONLY | O_EXCL | O_CLOEXEC); }

std::optional<std::uint64_t> DeviceSize(int fd) {
  std::uint64_t bytes = 0;
  if (fd < 0 || ioctl(fd, BLKGETSIZE64, &bytes) != 0) return std::nullopt;
  return bytes;
}

// The disk's node may name another device by now; only the confirmed disk may be claimed.
bool IsDisk(int fd, dev_t diskRdev) {
  struct stat info {};
  return fstat(fd, &info) == 0 && S_ISBLK(info.st_mode) && info.st_rdev == diskRdev;
}

std::vector<DiskOpener> OtherOpenersOf(dev_t diskRdev, bool allowProbes) {
  // Every name of the storage counts: a program with the second loop device open writes the disk too.
  std::vector<dev_t> devices = DiskAndPartitions(diskRdev);
  for (const StorageName& name : OtherNamesOf(diskRdev)) {
    const std::vector<dev_t> more = DiskAndPartitions(name.rdev);
    devices.insert(devices.end(), more.begin(), more.end());
  }
  const auto find = [&] { return FindOtherOpeners(devices); };
  if (!allowProbes) return find();
  return OpenersAfterProbes(find, [] { SleepMilliseconds(100); });
}

}  // namespace

std::uint32_t ClaimWholeDisk(HandleTable& handles, OpenDevice& drive) {
  if (drive.claimFd.IsOpen()) return ErrorCode::Success;
  const std::vector<OpenDevice*> locks = handles.LocksOnDisk(drive.diskRdev);
  for (OpenDevice* lock : locks) lock->lockFd.Close();
  drive.otherOpeners.clear();
  FileDescriptor claim = OpenExclusive(drive.diskNode);
  const int error = errno;
  const bool isDisk = claim.IsOpen() && IsDisk(claim.Get(), drive.diskRdev);
  // The same storage under other names (a second loop device over the file, a second port) is the disk.
  auto otherNames = isDisk ? ClaimOtherNames(drive.diskRdev) : std::nullopt;
  const bool claimed = isDisk && otherNames.has_value();
  // Checked with the claims held, so no new O_EXCL opener can appear meanwhile. A refused claim is
  // checked too, once, to name a program that holds the disk O_EXCL.
  if (claimed || error == EBUSY) drive.otherOpeners = OtherOpenersOf(drive.diskRdev, claimed);
  if (!claimed || !drive.otherOpeners.empty()) {
    const bool otherDevice = claim.IsOpen() && !isDisk;
    claim.Close();
    // The locks go back to what they held; a volume mounted meanwhile makes its lock fail quietly.
    for (OpenDevice* lock : locks) lock->lockFd = OpenExclusive(lock->nodePath);
    if (otherDevice) return ErrorCode::FileNotFound;
    if (isDisk || error == EBUSY) return ErrorCode::SharingViolation;
    return ErrorFromErrno(error);
  }
  drive.otherNameClaims = std::move(*otherNames);
  drive.claimedSizeBytes = DeviceSize(claim.Get()).value_or(0);
  for (OpenDevice* lock : locks) {
    lock->lockFd = FileDescriptor(fcntl(claim.Get(), F_DUPFD_CLOEXEC, 0));
    lock->unmounted.clear();  // the disk is about to be written: its file systems will be gone
  }
  drive.claimFd = std::move(claim);
  return ErrorCode::Success;
}

void ReleaseClaim(OpenDevice& drive) {
  drive.claimFd.Close();
  drive.otherNameClaims.clear();
}

ErrnoFacts SizeFacts(std::uint64_t claimedSizeBytes, std::optional<std::uint64_t> sizeBytes) {
  ErrnoFacts facts;
  facts.deviceGone = !sizeBytes || *sizeBytes == 0;
  facts.sizeChanged = !facts.deviceGone && *sizeBytes != claimedSizeBytes;
  return facts;
}

ErrnoFacts WriteFailureFacts(const OpenDevice& drive, int error) {
  ErrnoFacts facts = GatherErrnoFacts(drive.fd.Get(), drive.rdev, error);
  if (facts.deviceGone || !drive.claimFd.IsOpen()) return facts;
  struct stat node {};
  const bool nodeGone = stat(drive.nodePath.c_str(), &node) != 0 || node.st_rdev != drive.rdev;
  const bool sysfsGone = !DescribeBlockDevice(drive.rdev).has_value();
  const ErrnoFacts size = SizeFacts(drive.claimedSizeBytes, DeviceSize(drive.fd.Get()));
  facts.deviceGone = nodeGone || sysfsGone || size.deviceGone;
  facts.sizeChanged = !facts.deviceGone && size.sizeChanged;
  return facts;
}

}  // namespace trelvane::linux_platform
