#include "backends/driver_model/access_rights.h"

#include "os/bytes.h"
#include "os/win_constants.h"

namespace trelvane {

namespace {

// Specific and generic rights that carry data access.
constexpr std::uint32_t FileReadData = 0x0001;
constexpr std::uint32_t FileWriteData = 0x0002;
constexpr std::uint32_t GenericAll = 0x10000000u;

}  // namespace

bool GrantsRead(std::uint32_t desiredAccess) {
  return (desiredAccess & (Access::GenericRead | GenericAll | FileReadData)) != 0;
}

bool GrantsWrite(std::uint32_t desiredAccess) {
  return (desiredAccess & (Access::GenericWrite | GenericAll | FileWriteData)) != 0;
}

bool RequestAccessAllowed(std::uint32_t code, std::uint32_t desiredAccess) {
  const std::uint32_t needed = (code >> 14) & 3;
  return (!Bit(needed, 0) || GrantsRead(desiredAccess)) && (!Bit(needed, 1) || GrantsWrite(desiredAccess));
}

}  // namespace trelvane
