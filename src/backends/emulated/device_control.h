#pragma once
// Answers device-control requests on an emulated drive or volume: one table row per request code
// and device kind, each row a small handler that validates the buffers as the platform's drivers do,
// applies the machine file's faults, and lays out the reply.

#include <cstdint>
#include <optional>
#include <span>

#include "backends/driver_model/device_reply.h"
#include "backends/emulated/drive_firmware.h"
#include "backends/emulated/machine.h"
#include "os/system.h"

namespace trelvane::emulated {

// A volume's running state: which handle holds its lock.
struct VolumeState {
  const VolumeConfig* config = nullptr;
  std::optional<Handle> lockedBy;
};

struct RequestContext {
  Handle handle = InvalidHandle;
  const DriveConfig* drive = nullptr;  // set for a drive handle
  VolumeState* volume = nullptr;       // set for a volume handle
  std::span<const std::uint8_t> in;    // never overlaps `out` (the machine copies it first)
  std::span<std::uint8_t> out;
  DriveFirmware* firmware = nullptr;   // set for a drive handle: the drive's erase state
  bool preinstallation = false;        // the machine runs Windows PE
};

DeviceReply AnswerDeviceControl(std::uint32_t code, RequestContext& request);

}  // namespace trelvane::emulated
