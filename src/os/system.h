#pragma once
// The one interface between the program and the operating system: the host (os/host.h), the drives
// and their volumes.
//
// Most methods have the shape of the platform call the program was designed around (the NT family's
// raw-device interface), so the core can be exact about buffers and error codes; device questions go
// through small typed interfaces (BlockDevice, VolumeControl, AtaDevice, NvmeDevice) that each backend
// (real Linux, real Windows, emulated machine) carries in its own terms.
// Abstract so it can be replaced in tests: the emulated machine records every request it answers.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "os/ata_device.h"
#include "os/host.h"
#include "os/block_device.h"
#include "os/nvme_device.h"
#include "os/volume_control.h"

namespace trelvane {

// A platform handle of a device or volume. InvalidHandle (all bits set) means an open failed.
using Handle = std::intptr_t;
inline constexpr Handle InvalidHandle = -1;

// Where a folder is stored, seen from one drive: on it (the whole disk or one of its partitions, also
// through a volume manager), elsewhere, or not known (the platform could not tell).
enum class FolderPlace { OnDrive, Elsewhere, Unknown };

// Another program that holds a disk open: its name as the system knows it, and its process ID.
struct DiskOpener {
  std::u16string program;
  std::uint32_t pid = 0;
};

// A mount that giving back a refused format's volumes could not restore, and why (an error code).
struct UnrestoredMount {
  std::u16string mountPoint;
  std::uint32_t error = 0;
};

class System : public Host {
 public:
  // Opens an existing device (disposition OPEN_EXISTING, flags 0). Returns InvalidHandle on failure.
  virtual Handle CreateFileW(const std::u16string& path, std::uint32_t desiredAccess,
                             std::uint32_t shareMode) = 0;
  // The block-device queries of an open drive handle, and the volume control of an open volume handle
  // (the handle stays the caller's), never null.
  virtual std::unique_ptr<BlockDevice> BlockDeviceOf(Handle drive) = 0;
  virtual std::unique_ptr<VolumeControl> VolumeOf(Handle volume) = 0;
  // The NVMe admin pass-through of an open drive handle (the handle stays the caller's), never null:
  // a platform without one answers every command false.
  virtual std::unique_ptr<NvmeDevice> NvmeDeviceOf(Handle drive) = 0;
  // Synchronous write at the handle's current position; the position advances by what was written.
  virtual bool WriteFile(Handle handle, std::span<const std::uint8_t> data,
                         std::uint32_t& bytesWritten) = 0;
  // Synchronous read into `buffer` at the handle's current position; the position advances by what was
  // read. Used to read a wiped drive back, in blocks as large as the writes'.
  virtual bool ReadFile(Handle handle, std::span<std::uint8_t> buffer, std::uint32_t& bytesRead) = 0;
  // An overlapped read (ReadFile with an OVERLAPPED offset): starts reading buffer.size() bytes at
  // `offset` into `buffer` and may return before they are there, so the caller can work on the
  // previous block meanwhile; `buffer` must stay untouched until EndReadFile. A backend that cannot
  // read in the background reads at once. Each handle has its own read: every call is followed by
  // exactly one EndReadFile on the same handle before the next call on that handle, while reads on
  // other handles may be pending meanwhile. The handle's position is not used and afterwards undefined.
  virtual void BeginReadFile(Handle handle, std::int64_t offset, std::span<std::uint8_t> buffer) = 0;
  // Waits for the read BeginReadFile started on this handle; false (then GetLastError) when it failed,
  // or with code 6 when no read is pending on the handle.
  virtual bool EndReadFile(Handle handle, std::uint32_t& bytesRead) = 0;
  // Moves the handle's position to `offset` bytes from the beginning (FILE_BEGIN).
  virtual bool SetFilePointerEx(Handle handle, std::int64_t offset, std::int64_t& newPosition) = 0;
  virtual bool FlushFileBuffers(Handle handle) = 0;
  // Committed, zeroed, page-aligned memory for the large blocks of device I/O (VirtualAlloc with
  // MEM_COMMIT | MEM_RESERVE and PAGE_READWRITE); nullptr when there is not enough. A backend may back it
  // with large pages, which makes pinning it for every unbuffered transfer much cheaper.
  virtual std::uint8_t* VirtualAlloc(std::size_t bytes) = 0;
  // Releases what VirtualAlloc gave, with the same size.
  virtual void VirtualFree(std::uint8_t* memory, std::size_t bytes) = 0;
  // The result of a close is never examined.
  virtual void CloseHandle(Handle handle) = 0;
  // The other programs that held the drive's disk, or one of its partitions, open when a write on
  // `drive` was last refused with code 32 before anything was written; empty when none were seen (a
  // platform whose exclusive open keeps every other opener out never sees one).
  virtual std::vector<DiskOpener> OtherOpeners(Handle drive) = 0;
  // The calling thread's last error code; read at once after a failed call.
  virtual std::uint32_t GetLastError() = 0;
  // The ATA pass-through of an open drive handle (the handle stays the caller's), never null: a
  // platform without one answers every command false.
  virtual std::unique_ptr<AtaDevice> AtaDeviceOf(Handle drive) = 0;

  // Writes the logical drive root strings ("C:\" zero-terminated, ..., then an empty string) into
  // `buffer` and returns their length in characters without the final zero. A length of
  // buffer.size() or more means the buffer was too small and nothing useful was written.
  virtual std::uint32_t GetLogicalDriveStringsW(std::span<char16_t> buffer) = 0;
  // The operating system's own name of \\.\PhysicalDriveN ("/dev/sdb", "/dev/nvme0n1"), for the
  // erasure report; empty where the platform knows the drive by no other name.
  virtual std::u16string DriveNodeName(std::int64_t driveNumber) = 0;
  // Whether the existing folder `folder` is stored on drive N, so that a report written there would
  // be written to the disk being erased.
  virtual FolderPlace FolderPlaceOfDrive(const std::u16string& folder, std::int64_t driveNumber) = 0;

  // The name of an earlier drive of the list that is the same storage as drive `driveNumber` (two
  // loop devices over one file, one disk seen through two ports), as the system names it ("loop3");
  // empty when there is none. Systems that show every storage once keep the default.
  virtual std::u16string FirstNameOfSameStorage(std::uint32_t driveNumber) {
    static_cast<void>(driveNumber);
    return {};
  }
  // The mounts that volumes given back since the last call could not restore; each is reported once.
  // Systems whose volumes come back whole or not at all keep the default.
  virtual std::vector<UnrestoredMount> TakeUnrestoredMounts() { return {}; }
};

}  // namespace trelvane
