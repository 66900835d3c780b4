#pragma once
// The machine file's fields of the firmware erase commands (described in
// docs/emulated-firmware-erase.md): a drive's `ata_erase` and `erase` objects, and the erase fields of
// its `nvme` object, which are laid into the Identify blocks.

#include <optional>

#include "backends/emulated/json_reader.h"
#include "backends/emulated/machine.h"

namespace trelvane::emulated {

std::optional<AtaEraseConfig> ParseAtaErase(ObjectReader& drive);
EraseBehaviour ParseEraseBehaviour(ObjectReader& drive);
// `sanicap`, `fna`, `oacs`, `nn`, `namespaces` and `lba_format` over the blocks already read.
void ApplyNvmeEraseFields(ObjectReader& nvme, NvmeConfig& config);

}  // namespace trelvane::emulated
