#pragma once
// The outcome of one device-control request: success, the error code of a failure and the number
// of reply bytes written.

#include <algorithm>
#include <cstdint>
#include <span>

#include "os/win_constants.h"

namespace trelvane::linux_platform {

struct IoResult {
  bool ok = false;
  std::uint32_t error = 0;
  std::uint32_t returned = 0;

  static IoResult Failure(std::uint32_t code) { return IoResult{false, code, 0}; }
  static IoResult Success(std::uint32_t returned = 0) { return IoResult{true, 0, returned}; }
};

// Copies a fixed-size reply; an output buffer smaller than the reply fails with 122 and is not
// written, as the platform's drivers do.
inline IoResult CopyReply(std::span<const std::uint8_t> reply, std::span<std::uint8_t> out) {
  if (out.size() < reply.size()) return IoResult::Failure(ErrorCode::InsufficientBuffer);
  std::copy(reply.begin(), reply.end(), out.begin());
  return IoResult::Success(static_cast<std::uint32_t>(reply.size()));
}

}  // namespace trelvane::linux_platform
