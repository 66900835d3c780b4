#pragma once
// The block-device queries and the volume control of this backend's handles: ioctl on the open
// descriptor (BLKSSZGET, BLKGETSIZE64, BLKROGET, BLKRRPART), sysfs facts, and the volume lock and disk
// claim. Each looks its handle up at every call: a closed handle answers 6.

#include "backends/linux/backend_state.h"
#include "os/block_device.h"
#include "os/volume_control.h"

namespace trelvane::linux_platform {

class LinuxBlockDevice final : public BlockDevice {
 public:
  LinuxBlockDevice(BackendState& state, Handle drive) : state_(state), drive_(drive) {}

  QueryStatus SectorSize(std::uint32_t& bytes) override;
  // Needs read access, as the platform's length request does.
  QueryStatus Length(std::uint64_t& bytes) override;
  QueryStatus Adapter(AdapterInfo& adapter) override;
  QueryStatus Identity(std::uint8_t busType, DriveIdentity& identity) override;
  // The target id of the disk's SCSI address, odd for the second device of a channel.
  bool IdeSlave() override;
  // Fails with 19 when the kernel treats the device as read-only.
  QueryStatus Writable() override;
  // Ends the drive's claim of the disk and re-reads its partition table.
  QueryStatus UpdateProperties() override;

 private:
  BackendState& state_;
  Handle drive_;
};

class LinuxVolume final : public VolumeControl {
 public:
  LinuxVolume(BackendState& state, Handle volume) : state_(state), volume_(volume) {}

  // {7, the drive number of its disk, its partition number (0 for a whole disk)}.
  QueryStatus Number(VolumeNumber& number) override;
  // Unmounts the volume and holds it exclusively (volume_lock.h).
  QueryStatus Lock() override;
  // The lock already unmounted the volume; extended I/O has no meaning on a block device.
  QueryStatus Dismount() override;
  QueryStatus AllowExtendedIo() override;
  QueryStatus Unlock() override;

 private:
  BackendState& state_;
  Handle volume_;
};

// After a locked volume's handle was closed: the deferred re-read of its disk, once no lock is left.
void RescanIfUnlocked(BackendState& state, const OpenDevice& closed);

}  // namespace trelvane::linux_platform
