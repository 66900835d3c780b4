#pragma once
// SMART_RCV_DRIVE_DATA, SMART_SEND_DRIVE_COMMAND and the miniport IDENTIFY request: their input
// blocks checked and read, the ATA command carried out by a runner (SG_IO in the backend, a fake in
// tests), and the reply laid out as SENDCMDOUTPARAMS. Rules follow the platform's disk class driver.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "os/linux/ata_passthrough.h"
#include "os/driver_model/device_reply.h"

namespace trelvane::linux_platform {

struct AtaCommandResult {
  bool ok = false;
  std::uint32_t errorCode = 0;  // platform error code of a failure
  std::uint8_t ataError = 0;    // the device's error register, when it reported one
  std::optional<AtaReturnRegisters> registers;
};

// Runs one ATA command; `data` is 512 bytes for a data-in command and empty otherwise.
using AtaRunner = std::function<AtaCommandResult(const AtaRegisters& regs, AtaDataPhase phase,
                                                 bool checkCondition, std::span<std::uint8_t> data)>;

DeviceReply SmartReceive(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run);
DeviceReply SmartSend(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run);
DeviceReply MiniportIdentify(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const AtaRunner& run);

}  // namespace trelvane::linux_platform
