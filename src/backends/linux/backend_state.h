#pragma once
// What the Linux backend keeps between calls: its handles, the drive list, the partition-table
// re-reads that wait for volume locks to go, and the aligned buffer of unaligned writes.

#include <sys/types.h>

#include <optional>
#include <set>

#include "backends/linux/disk_writer.h"
#include "backends/linux/drive_list.h"
#include "backends/linux/handle_table.h"
#include "backends/linux/remount.h"

namespace trelvane::linux_platform {

struct BackendState {
  HandleTable handles;
  std::set<dev_t> pendingRescans;  // disks to re-read once their last volume lock is released
  AlignedBuffer bounce;
  PendingRemounts remounts;                            // mounts of given-back volumes still to come back
  std::vector<UnrestoredMountPoint> unrestoredMounts;  // not yet taken by the program

  // Made at first use and kept for the run: a drive attached later is not seen, as on the platform.
  const DriveList& Drives() {
    if (!drives_) drives_ = DriveList::FromSystem();
    return *drives_;
  }

 private:
  std::optional<DriveList> drives_;
};

}  // namespace trelvane::linux_platform
