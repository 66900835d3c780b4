#pragma once
// What the eraser asks of an open drive besides its data: size, adapter and identity facts, whether it
// takes writes, and a new look at its layout after a run.

#include <cstdint>
#include <string>
#include <vector>

namespace trelvane {

// How one query came out: success, or failure with the platform's error code (which may be 0).
struct QueryStatus {
  bool ok = false;
  std::uint32_t error = 0;
};

// The adapter the drive hangs on. The defaults are what the program assumes of an adapter that does not
// answer: 64 KiB transfers on a bus of unknown kind (201).
struct AdapterInfo {
  std::uint8_t busType = 201;
  std::uint32_t maxTransferBytes = 65536;
};

// The drive's identity texts, one character per byte as the drive gave them, serial in reading order.
struct DriveIdentity {
  std::u16string vendor;
  std::u16string product;
  std::u16string revision;
  std::u16string serial;
  bool removable = false;
  // The platform's raw reply, shown in the debug log where the platform has one; empty elsewhere.
  std::vector<std::uint8_t> rawReply;
};

class BlockDevice {
 public:
  virtual ~BlockDevice() = default;
  // Each query writes its value even when it fails (0 or empty when the platform gave none).
  virtual QueryStatus SectorSize(std::uint32_t& bytes) = 0;
  virtual QueryStatus Length(std::uint64_t& bytes) = 0;
  // On failure `adapter` is left as the caller set it.
  virtual QueryStatus Adapter(AdapterInfo& adapter) = 0;
  // `busType` is the adapter's: some platforms keep a serial in the byte order of its bus.
  virtual QueryStatus Identity(std::uint8_t busType, DriveIdentity& identity) = 0;
  // True when an ATA device sits in the second (slave) position of its channel.
  virtual bool IdeSlave() = 0;
  // Fails with 19 when the disk as a whole refuses writes.
  virtual QueryStatus Writable() = 0;
  // Asks the system to read the drive's layout again after a run.
  virtual QueryStatus UpdateProperties() = 0;
};

}  // namespace trelvane
