#pragma once
// The protocol-specific storage query of an NVMe disk answered through the kernel's NVMe admin
// command pass-through, in the platform's reply layout.

#include <cstdint>
#include <span>

#include "os/driver_model/device_reply.h"

namespace trelvane::linux_platform {

// `fd` is the namespace's block device, which takes the controller's admin commands as well. The
// device property's Identify Namespace speaks for that namespace, as a platform disk is one namespace.
DeviceReply AnswerNvmeQuery(int fd, const PropertyQuery& query, std::span<std::uint8_t> out);

}  // namespace trelvane::linux_platform
