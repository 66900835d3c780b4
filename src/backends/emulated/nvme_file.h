#pragma once
// The `nvme` field of a drive in the machine file:
//
//   "nvme": { "identify_controller": "c.bin", "active_namespaces": "l.bin", "identify_namespace": "n.bin",
//             "smart_log": "s.bin", "identify_error": 0, "identify_fails": false, "log_error": 0,
//             "log_fails": false }
//
// Each block is a file of exactly its size (4096, 4096, 4096 and 512 bytes) or, inline, an object from
// decimal byte offset to hexadecimal bytes laid from there over zeros ({"0": "1f", "1": "4301"}).
// A block left out is all zeros, except the active namespace list (Identify CNS 02h): without it the
// drive refuses that request.

#include <filesystem>
#include <optional>

#include "backends/emulated/json_reader.h"
#include "backends/emulated/machine.h"

namespace trelvane::emulated {

std::optional<NvmeConfig> ParseNvme(ObjectReader& drive, const std::filesystem::path& baseDirectory);

}  // namespace trelvane::emulated
