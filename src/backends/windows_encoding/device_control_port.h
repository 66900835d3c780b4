#pragma once
// Where the Windows encoding hands its requests: the raw device-control call and the last error, as
// the Windows backend passes them to the kernel and the emulated machine answers (and logs) them.

#include <cstdint>
#include <span>

#include "os/system.h"

namespace trelvane {

class DeviceControlPort {
 public:
  // One synchronous device-control request. `in` and `out` may be the same bytes; `out.size()` is the
  // output length offered. `bytesReturned` is always written.
  virtual bool DeviceIoControl(Handle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                               std::span<std::uint8_t> out, std::uint32_t& bytesReturned) = 0;
  // The calling thread's last error code; read at once after a failed request.
  virtual std::uint32_t GetLastError() = 0;

 protected:
  ~DeviceControlPort() = default;
};

}  // namespace trelvane
