#pragma once
// One ATA command as a value, and the device that carries it: the core builds the command (ata/),
// each backend carries it in its own terms (SCSI ATA PASS-THROUGH on Linux, the storage stack's SMART
// and miniport requests on Windows and on the emulated machine).

#include <cstdint>
#include <span>

namespace trelvane {

enum class AtaDirection { None, In, Out };

// One ATA command as the ATA command set defines it: 48-bit registers (a 28-bit command uses the low
// bytes), the direction of its data phase, and how long the drive may take.
struct AtaCommand {
  std::uint16_t features = 0;
  std::uint16_t count = 0;
  std::uint64_t lba = 0;          // 28 or 48 bits
  std::uint8_t device = 0;        // the device register (0xA0/0xB0 style for the old selector)
  std::uint8_t command = 0;
  bool extended = false;          // a 48-bit command
  AtaDirection direction = AtaDirection::None;
  std::uint32_t timeoutSeconds = 10;
  std::uint8_t selector = 0;      // the device behind the port: 0 master or single, 1 slave
};

struct AtaResult {
  std::uint8_t status = 0, error = 0;
  std::uint16_t count = 0;
  std::uint64_t lba = 0;
  std::uint8_t device = 0;
  bool registersValid = false;    // the transport returned the device's registers
  std::uint32_t systemError = 0;  // the platform's error code when the transport failed
};

class AtaDevice {
 public:
  virtual ~AtaDevice() = default;
  // Sends `command`; `data` is the data phase (512 * n bytes, or empty for None). True when the
  // transport carried it and the device completed it without error.
  virtual bool PassThrough(const AtaCommand& command, std::span<std::uint8_t> data, AtaResult& result) = 0;
};

}  // namespace trelvane
