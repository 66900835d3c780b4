#pragma once
// The NVMe admin pass-through of a drive: the core builds each admin command as a value
// (nvme/nvme_commands.h) and each backend carries it in its own terms (the kernel's admin ioctl, the
// storage stack's protocol-specific requests).

#include <cstdint>
#include <span>

namespace trelvane {

// The admin opcodes the program sends.
namespace NvmeOpcode {
inline constexpr std::uint8_t GetLogPage = 0x02;
inline constexpr std::uint8_t Identify = 0x06;
}  // namespace NvmeOpcode

// The namespace of the disk a handle stands for. A disk of the platform is one namespace, and the
// program addresses it as namespace 1; a backend whose handle stands for another namespace of the
// controller carries commands for namespace 1 to that one.
inline constexpr std::uint32_t DiskNamespaceId = 1;

// One NVMe admin command: opcode, namespace, command dwords 10-15, and how long it may take.
struct NvmeCommand {
  std::uint8_t opcode = 0;
  std::uint32_t namespaceId = 0;
  std::uint32_t cdw10 = 0, cdw11 = 0, cdw12 = 0, cdw13 = 0, cdw14 = 0, cdw15 = 0;
  std::uint32_t timeoutMs = 10'000;
};

struct NvmeCompletion {
  std::uint16_t status = 0;       // status field: SCT and SC (the phase bit left out)
  std::uint32_t result = 0;       // completion dword 0
  std::uint32_t systemError = 0;  // the platform's error code when the transport failed
};

class NvmeDevice {
 public:
  virtual ~NvmeDevice() = default;
  // The data direction follows from the opcode's low two bits (10b: controller to host). True when
  // the transport carried the command, the controller completed it with success and `data` holds
  // the whole transfer; `data` is left untouched otherwise.
  virtual bool Admin(const NvmeCommand& command, std::span<std::uint8_t> data, NvmeCompletion& completion) = 0;
  // False when this platform's path stops `command` before the drive sees it, whatever the drive
  // supports: a method built on it is not offered.
  virtual bool Carries(const NvmeCommand& /*command*/) const { return true; }
};

}  // namespace trelvane
