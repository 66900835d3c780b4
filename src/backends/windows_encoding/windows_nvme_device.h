#pragma once
// NVMe admin commands carried as the storage stack's protocol-specific property query
// (IOCTL_STORAGE_QUERY_PROPERTY with ProtocolTypeNvme), over DeviceControlPort::DeviceIoControl. The Windows
// backend hands these requests to the kernel; the emulated machine answers them as the in-box NVMe
// driver does, so both see the same bytes.
//
// The query carries only what the in-box driver passes on: Identify Controller and the active
// namespace list through the adapter property, Identify Namespace and Get Log Page through the disk's
// own property. Any other command is refused with 50 without a request.

#include "os/nvme_device.h"
#include "backends/windows_encoding/device_control_port.h"

namespace trelvane {

class WindowsNvmeDevice final : public NvmeDevice {
 public:
  // `system` and `handle` stay the caller's and must outlive the device.
  WindowsNvmeDevice(DeviceControlPort& system, Handle handle) : system_(system), handle_(handle) {}

  bool Admin(const NvmeCommand& command, std::span<std::uint8_t> data, NvmeCompletion& completion) override;

 private:
  DeviceControlPort& system_;
  Handle handle_;
};

}  // namespace trelvane
