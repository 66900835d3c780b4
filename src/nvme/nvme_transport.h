#pragma once
// The NVMe admin data the program reads, through the drive's NVMe device (System::NvmeDeviceOf):
// Identify Controller, the active namespace list, Identify Namespace and the SMART / Health log.
// Each read answers true and fills `data` only when the controller returned the whole structure.

#include <cstdint>
#include <span>

#include "os/system.h"

namespace trelvane {

bool ReadNvmeIdentifyController(System& system, Handle handle, std::span<std::uint8_t, 4096> data);
// Identify CNS 02h: the ids of the controller's active namespaces, ascending, ended by a zero id.
bool ReadNvmeActiveNamespaces(System& system, Handle handle, std::span<std::uint8_t, 4096> data);
bool ReadNvmeIdentifyNamespace(System& system, Handle handle, std::span<std::uint8_t, 4096> data);
bool ReadNvmeHealthLog(System& system, Handle handle, std::span<std::uint8_t, 512> data);

}  // namespace trelvane
