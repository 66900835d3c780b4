#pragma once
// ATA commands carried by the Windows storage stack's requests, on top of DeviceControlPort::DeviceIoControl:
// IDENTIFY DEVICE through SMART_RCV_DRIVE_DATA (when SMART_GET_VERSION answers), else through the
// storage miniport; SMART READ DATA through SMART_RCV_DRIVE_DATA, and once more through
// SMART_SEND_DRIVE_COMMAND when that fails; the other SMART sub-commands without data through
// SMART_SEND_DRIVE_COMMAND. The Windows backend and the emulated machine both carry commands this
// way, so the bytes handed to the kernel and the emulated machine's request log are the same.
//
// These requests answer only true or false: the driver's status bytes are not read and no registers
// come back. A data buffer is written only on success.
//
// Every other command (SANITIZE, the Security feature set, any 48-bit or data-out command) goes out
// as IOCTL_ATA_PASS_THROUGH with ATA_PASS_THROUGH_EX and its data after it, and comes back with the
// device's registers (status, error, count, LBA). Outside Windows PE the storage stack refuses the
// Security commands (F1h-F6h) itself: the request fails with ERROR_INVALID_FUNCTION (1), no
// registers come back, and the drive never sees the command.

#include <cstdint>
#include <span>

#include "os/ata_device.h"
#include "backends/windows_encoding/device_control_port.h"

namespace trelvane {

class WindowsAtaDevice final : public AtaDevice {
 public:
  // `system` and `drive` stay the caller's and must outlive the device.
  WindowsAtaDevice(DeviceControlPort& system, Handle drive) : system_(system), drive_(drive) {}

  // A data buffer that is not whole sectors, or that does not fit the direction, fails with
  // ERROR_INVALID_PARAMETER before any request is made.
  bool PassThrough(const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result) override;

 private:
  DeviceControlPort& system_;
  Handle drive_;
};

}  // namespace trelvane
