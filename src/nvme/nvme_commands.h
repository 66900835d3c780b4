#pragma once
// The NVMe admin commands the program sends, built as values for an NvmeDevice: Identify (CNS 00h,
// 01h, 02h) and Get Log Page for the SMART / Health Information log.

#include <cstdint>

#include "os/nvme_device.h"

namespace trelvane {

inline constexpr std::uint32_t NvmeIdentifyBytes = 4096;
inline constexpr std::uint32_t NvmeHealthLogBytes = 512;

// Identify CNS 01h: the controller's data structure.
NvmeCommand IdentifyControllerCommand();
// Identify CNS 02h from namespace 0: the ids of the controller's active namespaces, ascending,
// ended by a zero id.
NvmeCommand ActiveNamespaceListCommand();
// Identify CNS 00h: the namespace's data structure.
NvmeCommand IdentifyNamespaceCommand(std::uint32_t namespaceId = DiskNamespaceId);
// Get Log Page 02h, 512 bytes, for the controller as a whole (namespace FFFFFFFFh).
NvmeCommand HealthLogCommand();

}  // namespace trelvane
