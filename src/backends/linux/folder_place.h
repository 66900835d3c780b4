#pragma once
// Which disk a folder's files are stored on, for refusing a report folder on the disk being erased.

#include <sys/types.h>

#include <optional>
#include <string>

namespace trelvane::linux_platform {

// True when `folder` is stored on the whole disk `diskRdev` or one of its partitions, directly or
// through what the file system's device is built from: the devices under a device-mapper or md
// device (slaves/) and the file behind a loop device. Nothing when the folder cannot be examined.
std::optional<bool> FolderOnDisk(const std::string& folder, dev_t diskRdev);

}  // namespace trelvane::linux_platform
