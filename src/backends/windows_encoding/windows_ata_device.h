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

#include <cstdint>
#include <span>

#include "os/ata_device.h"
#include "backends/windows_encoding/device_control_port.h"

namespace trelvane {

class WindowsAtaDevice final : public AtaDevice {
 public:
  // `system` and `drive` stay the caller's and must outlive the device.
  WindowsAtaDevice(DeviceControlPort& system, Handle drive) : system_(system), drive_(drive) {}

  // A command these requests cannot carry (48-bit, data out, other than IDENTIFY DEVICE and SMART)
  // fails with ERROR_INVALID_FUNCTION before any request is made.
  bool PassThrough(const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result) override;

 private:
  DeviceControlPort& system_;
  Handle drive_;
};

}  // namespace trelvane
