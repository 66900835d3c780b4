#pragma once
// NVMe admin commands through the kernel's admin pass-through (NVME_IOCTL_ADMIN_CMD) on the node of
// an open handle: a namespace's block device takes its controller's admin commands as well.

#include <memory>

#include "backends/linux/handle_table.h"
#include "os/nvme_device.h"

namespace trelvane::linux_platform {

// The handle is looked up at each command, so a closed one fails with 6 rather than reaching
// another device's descriptor.
std::unique_ptr<NvmeDevice> MakeNvmeAdminDevice(HandleTable& handles, Handle handle);

}  // namespace trelvane::linux_platform
