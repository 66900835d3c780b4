#pragma once
// The backend's handles: small numbers standing for an open block device, with what the platform's
// handle carries (the access it was opened with, its file position) and what this backend holds for
// it (the descriptor, the O_EXCL hold of a locked volume).

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/linux/file_descriptor.h"
#include "backends/linux/mountinfo.h"
#include "backends/linux/overlapped_read.h"
#include "os/system.h"

namespace trelvane::linux_platform {

enum class HandleKind { Drive, Volume };

// The handle's overlapped read between BeginReadFile and EndReadFile: in the background, or already
// read at once when the kernel would not take it. Each handle keeps its own, so reads on different
// handles may overlap.
struct PendingRead {
  OverlappedRead overlapped;  // its own asynchronous context, made at the first read in the background
  bool started = false;       // between BeginReadFile and EndReadFile
  bool inBackground = false;
  ReadOutcome now;
};

struct OpenDevice {
  HandleKind kind = HandleKind::Volume;
  std::string nodePath;       // "/dev/sdb1"
  FileDescriptor fd;
  dev_t rdev = 0;
  std::uint32_t access = 0;   // the desired access of CreateFileW
  std::int64_t position = 0;  // set by SetFilePointerEx, advanced by WriteFile
  dev_t diskRdev = 0;         // the whole disk it belongs to (itself for a disk)
  std::string diskNode;       // "/dev/sdb"
  FileDescriptor lockFd;      // held O_EXCL after FSCTL_LOCK_VOLUME
  std::vector<MountEntry> unmounted;   // what the lock unmounted, given back if the disk stays unwritten
  FileDescriptor claimFd;              // a drive's O_EXCL claim of the whole disk, from its first write
  std::vector<FileDescriptor> otherNameClaims;  // with it, the claims of the storage's other names
  std::uint64_t claimedSizeBytes = 0;  // the disk's size when it was claimed
  std::vector<DiskOpener> otherOpeners;  // the processes that kept the last claim from being made
  std::unique_ptr<PendingRead> read;     // made at the first BeginReadFile
};

class HandleTable {
 public:
  HandleTable() = default;
  ~HandleTable();
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  Handle Add(OpenDevice device);
  OpenDevice* Find(Handle handle);
  // Removes the entry; the caller closes its descriptors.
  std::optional<OpenDevice> Take(Handle handle);
  // Whether some handle holds a volume lock on a partition (or the whole) of this disk.
  bool HasLockOnDisk(dev_t diskRdev) const;
  // The handles holding those locks.
  std::vector<OpenDevice*> LocksOnDisk(dev_t diskRdev);

 private:
  std::map<Handle, OpenDevice> devices_;
  Handle next_ = 0x100;
};

// Closes the descriptors of an entry now, the volume lock's hold first.
void CloseDevice(OpenDevice& device);

}  // namespace trelvane::linux_platform
