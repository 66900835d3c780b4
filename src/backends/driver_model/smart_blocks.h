#pragma once
// The blocks the SMART requests and the miniport IDENTIFY carry, as the platform's disk class driver
// reads and writes them (pack 1):
//   SENDCMDINPARAMS   0 cBufferSize | 4-11 irDriveRegs (IDEREGS) | 12 bDriveNumber | 32 bBuffer
//   SENDCMDOUTPARAMS  0 cBufferSize | 4 DRIVERSTATUS (bDriverError 4, bIDEError 5, reserved to 15) |
//                     16 bBuffer
//   SRB_IO_CONTROL    0 HeaderLength | 4-11 Signature "SCSIDISK" | 12 Timeout | 16 ControlCode |
//                     20 ReturnCode | 24 Length; the SENDCMDINPARAMS / SENDCMDOUTPARAMS block at 28

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "os/ata_registers.h"

namespace trelvane {

inline constexpr std::size_t SendCmdInBytes = 32;  // drivers accept 32 bytes or more (33 with bBuffer)
inline constexpr std::size_t SendCmdOutHeaderBytes = 16;
inline constexpr std::size_t SrbIoControlBytes = 28;
inline constexpr std::size_t SrbReturnCodeOffset = 20;

// The IDEREGS block: features, sector count, sector number, cylinder low and high, drive/head,
// command, reserved.
AtaRegisters ReadIdeRegisters(std::span<const std::uint8_t> ideRegs);

struct SendCmdIn {
  AtaRegisters registers;
  std::uint8_t driveNumber = 0;
};

// The SENDCMDINPARAMS block starting at `offset`; nullopt when `in` ends before its 32 bytes.
std::optional<SendCmdIn> ReadSendCmdIn(std::span<const std::uint8_t> in, std::size_t offset = 0);

// An SRB_IO_CONTROL header with the "SCSIDISK" signature and the miniport IDENTIFY control code.
bool IsMiniportIdentify(std::span<const std::uint8_t> in);

// The 0x4F/0xC2 signature every SMART sub-command carries in the cylinder registers.
inline constexpr std::uint8_t SmartCylinderLow = 0x4F;
inline constexpr std::uint8_t SmartCylinderHigh = 0xC2;
bool HasSmartSignature(const AtaRegisters& registers);

// The SENDCMDOUTPARAMS header: the data size and the driver status bytes.
std::array<std::uint8_t, SendCmdOutHeaderBytes> SendCmdOutHeader(std::uint32_t bufferSize,
                                                                 std::uint8_t driverError = 0,
                                                                 std::uint8_t ideError = 0);

}  // namespace trelvane
