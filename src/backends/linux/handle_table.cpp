#include "backends/linux/handle_table.h"

namespace trelvane::linux_platform {

HandleTable::~HandleTable() {
  for (auto& [handle, device] : devices_) CloseDevice(device);
}

Handle HandleTable::Add(OpenDevice device) {
  const Handle handle = next_;
  next_ += 4;  // like the platform's handles: multiples of four, never reused within a run
  devices_.emplace(handle, std::move(device));
  return handle;
}

OpenDevice* HandleTable::Find(Handle handle) {
  const auto found = devices_.find(handle);
  return found == devices_.end() ? nullptr : &found->second;
}

std::optional<OpenDevice> HandleTable::Take(Handle handle) {
  const auto found = devices_.find(handle);
  if (found == devices_.end()) return std::nullopt;
  OpenDevice device = std::move(found->second);
  devices_.erase(found);
  return device;
}

bool HandleTable::HasLockOnDisk(dev_t diskRdev) const {
  for (const auto& [handle, device] : devices_)
    if (device.lockFd.IsOpen() && device.diskRdev == diskRdev) return true;
  return false;
}

std::vector<OpenDevice*> HandleTable::LocksOnDisk(dev_t diskRdev) {
  std::vector<OpenDevice*> locks;
  for (auto& [handle, device] : devices_)
    if (device.lockFd.IsOpen() && device.diskRdev == diskRdev) locks.push_back(&device);
  return locks;
}

void CloseDevice(OpenDevice& device) {
  device.read.reset();  // waits for a read still in the background before its descriptor goes
  device.claimFd.Close();
  device.otherNameClaims.clear();
  device.lockFd.Close();
  device.fd.Close();
}

}  // namespace trelvane::linux_platform
