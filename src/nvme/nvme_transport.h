#pragma once
// The NVMe admin data the program reads, carried by the platform's protocol-specific storage query
// (IOCTL_STORAGE_QUERY_PROPERTY with ProtocolTypeNvme): Identify Controller and the active namespace
// list through the adapter property, Identify Namespace and the SMART / Health log through the disk's own property. Each read
// answers true and fills `data` only when the reply holds the whole structure.

#include <cstdint>
#include <span>

#include "os/system.h"

namespace trelvane {

// The namespace asked for: a disk of the platform is one namespace, normally the first; the driver
// answers the device property for the disk's own namespace.
inline constexpr std::uint32_t DiskNamespaceId = 1;

bool ReadNvmeIdentifyController(System& system, Handle handle, std::span<std::uint8_t, 4096> data);
// Identify CNS 02h: the ids of the controller's active namespaces, ascending, ended by a zero id.
bool ReadNvmeActiveNamespaces(System& system, Handle handle, std::span<std::uint8_t, 4096> data);
bool ReadNvmeIdentifyNamespace(System& system, Handle handle, std::span<std::uint8_t, 4096> data);
bool ReadNvmeHealthLog(System& system, Handle handle, std::span<std::uint8_t, 512> data);

}  // namespace trelvane
