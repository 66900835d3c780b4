#pragma once
// Sends one ATA command to a disk through SG_IO and ATA PASS-THROUGH(16). libata translates it for
// SATA and PATA disks alike; devices without an ATA path (NVMe, virtio, loop) refuse SG_IO.

#include <span>

#include "os/linux/smart_requests.h"

namespace trelvane::linux_platform {

// `data` must be 512 bytes for AtaDataPhase::In512.
AtaCommandResult RunAtaCommand(int fd, const AtaRegisters& regs, AtaDataPhase phase, bool checkCondition,
                               std::span<std::uint8_t> data);

}  // namespace trelvane::linux_platform
