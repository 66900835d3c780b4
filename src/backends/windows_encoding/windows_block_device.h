#pragma once
// The block-device queries carried as the Windows storage stack's requests: the drive geometry, the
// length information, the storage adapter and device properties, SMART_GET_VERSION and the SCSI inquiry
// data for the slave position, IOCTL_DISK_IS_WRITABLE and IOCTL_DISK_UPDATE_PROPERTIES. The Windows
// backend hands them to the kernel and the emulated machine answers them, so both see the same bytes.

#include "backends/windows_encoding/device_control_port.h"
#include "os/block_device.h"

namespace trelvane {

class WindowsBlockDevice final : public BlockDevice {
 public:
  // `port` and `drive` stay the caller's and must outlive the device.
  WindowsBlockDevice(DeviceControlPort& port, Handle drive) : port_(port), drive_(drive) {}

  QueryStatus SectorSize(std::uint32_t& bytes) override;
  QueryStatus Length(std::uint64_t& bytes) override;
  QueryStatus Adapter(AdapterInfo& adapter) override;
  // The serial of a device descriptor comes with the two bytes of every pair exchanged (ATA keeps
  // strings as big-endian words) except on the NVMe bus; it is handed on in reading order.
  QueryStatus Identity(std::uint8_t busType, DriveIdentity& identity) override;
  bool IdeSlave() override;
  QueryStatus Writable() override;
  QueryStatus UpdateProperties() override;

 private:
  DeviceControlPort& port_;
  Handle drive_;
};

}  // namespace trelvane
