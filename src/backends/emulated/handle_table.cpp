#include "backends/emulated/handle_table.h"

#include <utility>

#include "os/win_constants.h"

namespace trelvane::emulated {

namespace {

// Handles step by 4, as the platform's handles do.
constexpr Handle HandleStep = 4;

}  // namespace

Handle HandleTable::Add(OpenDevice device) {
  const Handle handle = next_;
  next_ += HandleStep;
  open_.emplace(handle, std::move(device));
  return handle;
}

OpenDevice* HandleTable::Find(Handle handle) {
  const auto found = open_.find(handle);
  return found == open_.end() ? nullptr : &found->second;
}

bool HandleTable::Remove(Handle handle) { return open_.erase(handle) > 0; }

bool HandleTable::SharingConflict(const DeviceRef& device, std::uint32_t access, std::uint32_t share) const {
  const bool reads = GrantsRead(access);
  const bool writes = GrantsWrite(access);
  if (!reads && !writes) return false;
  for (const auto& [handle, other] : open_) {
    if (!(other.device == device) || (!other.CanRead() && !other.CanWrite())) continue;
    if ((reads && (other.share & Share::Read) == 0) || (writes && (other.share & Share::Write) == 0) ||
        (other.CanRead() && (share & Share::Read) == 0) || (other.CanWrite() && (share & Share::Write) == 0))
      return true;
  }
  return false;
}

bool HandleTable::AnyWriter(const DeviceRef& device) const {
  for (const auto& [handle, other] : open_)
    if (other.device == device && other.CanWrite()) return true;
  return false;
}

}  // namespace trelvane::emulated
