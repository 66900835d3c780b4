#pragma once
// ATA commands carried in a SCSI ATA PASS-THROUGH(16) command block (SAT-4), and the reading of
// what comes back: the SCSI status, the sense data and, when the device reported them, its ATA
// registers. Pure functions; sg_io.h sends the block.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "os/ata_device.h"

namespace trelvane::linux_platform {

using PassThroughCdb = std::array<std::uint8_t, 16>;

// The ATA PASS-THROUGH(16) block for `command`: PIO for a data phase, its length counted in the
// command's count field. A non-data command asks for its registers back in the sense data (CK_COND),
// since they are its answer (SMART RETURN STATUS, for one).
PassThroughCdb BuildPassThrough16(const AtaCommand& command);

// The ATA registers a device returned (ATA Status Return descriptor, or the fixed-format fields).
struct AtaReturnRegisters {
  std::uint8_t error = 0;
  std::uint8_t sectorCount = 0;
  std::uint8_t lbaLow = 0;
  std::uint8_t lbaMid = 0;
  std::uint8_t lbaHigh = 0;
  std::uint8_t device = 0;
  std::uint8_t status = 0;
  // The upper bytes of a 48-bit command's registers (descriptor sense data only): count 15:8, LBA
  // 31:24, 39:32 and 47:40.
  std::uint8_t countHigh = 0;
  std::uint8_t lbaLowHigh = 0;
  std::uint8_t lbaMidHigh = 0;
  std::uint8_t lbaHighHigh = 0;
};

struct SenseData {
  std::uint8_t key = 0;
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  std::optional<AtaReturnRegisters> registers;
};

// Parses fixed (70h/71h) and descriptor (72h/73h) sense data; nullopt when it is neither.
std::optional<SenseData> ParseSense(std::span<const std::uint8_t> sense);

// The transport's answer to one SG_IO request.
struct ScsiOutcome {
  std::uint8_t status = 0;        // SCSI status byte
  std::uint16_t hostStatus = 0;   // DID_* code
  std::uint16_t driverStatus = 0;
  std::span<const std::uint8_t> sense;  // the bytes the kernel wrote
};

// What became of the ATA command.
struct AtaVerdict {
  bool success = false;
  std::uint32_t errorCode = 0;      // platform error code when not successful
  std::uint8_t ataError = 0;        // the device's error register (0 when unknown)
  std::optional<AtaReturnRegisters> registers;
};

AtaVerdict JudgeAtaOutcome(const ScsiOutcome& outcome);

}  // namespace trelvane::linux_platform
