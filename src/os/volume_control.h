#pragma once
// One open volume (a mounted partition): which disk it is on, and taking it away from its file system
// for a run and giving it back.

#include <cstdint>

#include "os/block_device.h"

namespace trelvane {

// Where a volume lies: the device type (7 a disk), the disk's drive number and the partition number.
struct VolumeNumber {
  std::uint32_t deviceType = 0;
  std::uint32_t deviceNumber = 0;
  std::uint32_t partitionNumber = 0;
};

class VolumeControl {
 public:
  virtual ~VolumeControl() = default;
  virtual QueryStatus Number(VolumeNumber& number) = 0;
  virtual QueryStatus Lock() = 0;
  virtual QueryStatus Dismount() = 0;
  // Lets I/O reach the volume's last sectors too, where the platform would refuse them.
  virtual QueryStatus AllowExtendedIo() = 0;
  // Ends the lock and gives the volume back to its file system.
  virtual QueryStatus Unlock() = 0;
};

}  // namespace trelvane
