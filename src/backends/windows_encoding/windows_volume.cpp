#include "backends/windows_encoding/windows_volume.h"

#include <array>

#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {

QueryStatus WindowsVolume::SendBare(std::uint32_t code) {
  std::uint32_t returned = 0;
  QueryStatus status;
  status.ok = port_.DeviceIoControl(volume_, code, {}, {}, returned);
  if (!status.ok) status.error = port_.GetLastError();
  return status;
}

// STORAGE_DEVICE_NUMBER: DeviceType (0-3), DeviceNumber (4-7), PartitionNumber (8-11), in a 1024-byte
// reply buffer.
QueryStatus WindowsVolume::Number(VolumeNumber& number) {
  std::array<std::uint8_t, 1024> reply{};
  std::uint32_t returned = 0;
  QueryStatus status;
  status.ok = port_.DeviceIoControl(volume_, Ioctl::StorageGetDeviceNumber, {}, reply, returned);
  if (!status.ok) {
    status.error = port_.GetLastError();
    return status;
  }
  number.deviceType = ReadU32LE(reply, 0);
  number.deviceNumber = ReadU32LE(reply, 4);
  number.partitionNumber = ReadU32LE(reply, 8);
  return status;
}

QueryStatus WindowsVolume::Lock() { return SendBare(Ioctl::FsctlLockVolume); }
QueryStatus WindowsVolume::Dismount() { return SendBare(Ioctl::FsctlDismountVolume); }
QueryStatus WindowsVolume::AllowExtendedIo() { return SendBare(Ioctl::FsctlAllowExtendedDasdIo); }
QueryStatus WindowsVolume::Unlock() { return SendBare(Ioctl::FsctlUnlockVolume); }

}  // namespace trelvane
