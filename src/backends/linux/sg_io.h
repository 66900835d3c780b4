#pragma once
// ATA commands sent to a disk through SG_IO and ATA PASS-THROUGH(16). libata translates them for
// SATA and PATA disks alike; devices without an ATA path (NVMe, virtio, loop) get none.

#include <span>

#include "os/ata_device.h"
#include "backends/linux/handle_table.h"

namespace trelvane::linux_platform {

// Sends `command` on `fd`; `data` is its data phase. The kernel may fill `data` even when the command
// fails.
bool RunAtaCommand(int fd, const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result);

// The ATA device of a drive handle of this backend. The handle is looked up at every command; it needs
// read and write access, as the platform's ATA requests do. Only libata disks are sent commands, and
// a data buffer is written only on success.
class SgAtaDevice final : public AtaDevice {
 public:
  SgAtaDevice(HandleTable& handles, Handle drive) : handles_(handles), drive_(drive) {}
  bool PassThrough(const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result) override;

 private:
  HandleTable& handles_;
  Handle drive_;
};

}  // namespace trelvane::linux_platform
