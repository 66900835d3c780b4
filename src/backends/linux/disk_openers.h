#pragma once
// The other processes that hold a disk open, as /proc tells them (what fuser and lsof read).
//
// The whole-disk O_EXCL claim keeps out mounts, device-mapper, md, swap and programs that open with
// O_EXCL, but not a program that opened the disk or a partition without it: a running dd, a virtual
// machine on the raw disk, a backup tool. Such a program would go on writing under the zero fill, so
// a claim that finds one is refused. udev's probe opens every changed disk for a moment; openers that
// only probe get a brief retry before they count.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "os/system.h"

namespace trelvane::linux_platform {

// The device numbers of the disk and of each of its partitions.
std::vector<dev_t> DiskAndPartitions(dev_t diskRdev);

// The processes other than this one with a descriptor on any of `devices`, in PID order, each once.
std::vector<DiskOpener> FindOtherOpeners(const std::vector<dev_t>& devices);

// True for the programs that open a disk only for a moment to probe it (udev and its helpers).
bool IsProbe(const std::u16string& program);

// `find` (FindOtherOpeners), asked again after each `pause` (about 100 ms), up to 10 times, while
// every opener found is a probe. What is left then counts, probes included.
std::vector<DiskOpener> OpenersAfterProbes(const std::function<std::vector<DiskOpener>()>& find,
                                           const std::function<void()>& pause);

}  // namespace trelvane::linux_platform
