#pragma once
// NVMe admin commands carried as the storage stack's protocol-specific property query
// (IOCTL_STORAGE_QUERY_PROPERTY with ProtocolTypeNvme), over DeviceControlPort::DeviceIoControl. The Windows
// backend hands these requests to the kernel; the emulated machine answers them as the in-box NVMe
// driver does, so both see the same bytes.
//
// The query carries only what the in-box driver passes on: Identify Controller and the active
// namespace list through the adapter property, Identify Namespace and Get Log Page (the health log
// 02h, the Sanitize Status log 81h) through the disk's own property.
//
// The erase commands go as IOCTL_STORAGE_REINITIALIZE_MEDIA, the one request the in-box driver
// turns into them outside Windows PE: Format NVM of the disk's namespace with a cryptographic erase
// (no input; the driver keeps the namespace's format), and, from Windows 10 21H1 / Server 2022, a
// Sanitize block or crypto erase (STORAGE_REINITIALIZE_MEDIA; AUSE becomes
// DisallowUnrestrictedSanitizeExit cleared). Microsoft's documentation of the in-box driver's command
// set lists Sanitize as passed through only in Windows PE, and Format NVM only through this request.
// The request starts the sanitize; its progress is read from log 81h.
//
// Any other command - Format NVM with a user data erase or none, Sanitize overwrite or exit failure
// mode - is not let through by Windows: it fails with NotLetThrough (ERROR_NOT_SUPPORTED, 50) and
// no request is made.

#include "os/nvme_device.h"
#include "backends/windows_encoding/device_control_port.h"

namespace trelvane {

class WindowsNvmeDevice final : public NvmeDevice {
 public:
  // `system` and `handle` stay the caller's and must outlive the device.
  WindowsNvmeDevice(DeviceControlPort& system, Handle handle) : system_(system), handle_(handle) {}

  bool Admin(const NvmeCommand& command, std::span<std::uint8_t> data, NvmeCompletion& completion) override;
  // Of Format NVM and Sanitize, only what IOCTL_STORAGE_REINITIALIZE_MEDIA turns into the command.
  bool Carries(const NvmeCommand& command) const override;

  // The system error of a command Windows does not pass to the drive.
  static constexpr std::uint32_t NotLetThrough = 50;

 private:
  bool EraseCommand(const NvmeCommand& command, NvmeCompletion& completion);

  DeviceControlPort& system_;
  Handle handle_;
};

}  // namespace trelvane
