#pragma once
// Volume control carried as the Windows requests: IOCTL_STORAGE_GET_DEVICE_NUMBER and the file system
// controls that lock, dismount, allow extended I/O on and unlock a volume.

#include "backends/windows_encoding/device_control_port.h"
#include "os/volume_control.h"

namespace trelvane {

class WindowsVolume final : public VolumeControl {
 public:
  // `port` and `volume` stay the caller's and must outlive this object.
  WindowsVolume(DeviceControlPort& port, Handle volume) : port_(port), volume_(volume) {}

  QueryStatus Number(VolumeNumber& number) override;
  QueryStatus Lock() override;
  QueryStatus Dismount() override;
  QueryStatus AllowExtendedIo() override;
  QueryStatus Unlock() override;

 private:
  // A request that carries neither input nor output.
  QueryStatus SendBare(std::uint32_t code);

  DeviceControlPort& port_;
  Handle volume_;
};

}  // namespace trelvane
