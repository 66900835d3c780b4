#pragma once
// The ATA task-file registers as the platform's IDEREGS block carries them, and the command codes the
// program sends: shared by the core that builds requests and the backends that carry them out.

#include <cstdint>

namespace trelvane {

// The seven task-file registers in the order of the platform's IDEREGS block.
struct AtaRegisters {
  std::uint8_t Features = 0;
  std::uint8_t SectorCount = 0;
  std::uint8_t SectorNumber = 0;   // LBA low
  std::uint8_t CylinderLow = 0;    // LBA mid
  std::uint8_t CylinderHigh = 0;   // LBA high
  std::uint8_t DriveHead = 0;      // device register
  std::uint8_t Command = 0;
};

// ATA command and SMART sub-command codes (ACS-3).
namespace AtaOpcode {
inline constexpr std::uint8_t IdentifyDevice = 0xEC;
inline constexpr std::uint8_t Smart = 0xB0;
}  // namespace AtaOpcode

namespace SmartFeature {
inline constexpr std::uint8_t ReadData = 0xD0;
inline constexpr std::uint8_t EnableOperations = 0xD8;
inline constexpr std::uint8_t DisableOperations = 0xD9;
}  // namespace SmartFeature

}  // namespace trelvane
