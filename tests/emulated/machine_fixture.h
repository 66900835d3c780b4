#pragma once
// Helpers of the emulated machine's tests: a machine from JSON text in a fresh folder, and one
// device-control request with its answer.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backends/emulated/emulated_system.h"
#include "test_support.h"

namespace trelvane::testing {

// A machine whose relative paths point into its own temporary folder.
class Machine {
 public:
  explicit Machine(std::string_view json);
  EmulatedSystem* operator->() { return system_.get(); }
  EmulatedSystem& operator*() { return *system_; }
  const std::filesystem::path& Folder() const { return folder_.path(); }

 private:
  TempDir folder_;
  std::unique_ptr<EmulatedSystem> system_;
};

// Writes `json` as <folder>/<name> after the files it names, then loads it from there.
std::unique_ptr<EmulatedSystem> LoadFromFolder(const std::filesystem::path& folder, const std::string& name,
                                               std::string_view json);

// The message of the MachineFileError that loading `json` raises ("" when it loads).
std::string MachineError(std::string_view json);

struct Answer {
  bool ok = false;
  std::uint32_t error = 0;
  std::uint32_t returned = 0;
  std::vector<std::uint8_t> out;
};

// Sends one request with a zero-filled output of `outSize` bytes; `error` is read at once on failure.
Answer Ask(EmulatedSystem& system, Handle handle, std::uint32_t code, const std::vector<std::uint8_t>& in,
           std::size_t outSize);

// SENDCMDINPARAMS of `size` bytes: cBufferSize, the seven ATA registers from byte 4, bDriveNumber.
using AtaRegs = std::array<std::uint8_t, 7>;
std::vector<std::uint8_t> SendCmdIn(std::uint32_t bufferSize, const AtaRegs& registers, std::uint8_t driveNumber,
                                    std::size_t size = 32);
inline constexpr AtaRegs IdentifyRegs{0, 1, 1, 0, 0, 0xA0, 0xEC};
inline constexpr AtaRegs SmartReadRegs{0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0};
inline constexpr AtaRegs SmartEnableRegs{0xD8, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0};
inline constexpr AtaRegs SmartDisableRegs{0xD9, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0};

// A 512-byte block whose byte i is (i * step + start) mod 256, easy to tell from others.
std::vector<std::uint8_t> PatternBlock(std::uint8_t start, std::uint8_t step = 1);
void WriteBinaryFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

inline constexpr char16_t Drive0[] = u"\\\\.\\PhysicalDrive0";
inline constexpr std::uint32_t ReadWrite = 0xC0000000u;

}  // namespace trelvane::testing
