#pragma once
// The machine's open handles: what each one was opened on, with which access and sharing, and its
// position. Handles are small distinct numbers that are never reused, so a closed handle stays
// invalid.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "backends/driver_model/access_rights.h"
#include "os/system.h"

namespace trelvane::emulated {

enum class DeviceKind { Drive, Volume };

// Which device: a drive or volume of the machine file, by its index there.
struct DeviceRef {
  DeviceKind kind = DeviceKind::Drive;
  std::size_t index = 0;
  bool operator==(const DeviceRef&) const = default;
};

// An overlapped read the machine has already done, waiting for EndReadFile on its handle.
struct FinishedRead {
  bool pending = false;  // between BeginReadFile and EndReadFile
  bool ok = false;
  std::uint32_t bytes = 0;
  std::uint32_t error = 0;
};

struct OpenDevice {
  DeviceRef device;
  std::u16string path;  // as the caller spelled it
  std::uint32_t access = 0;
  std::uint32_t share = 0;
  std::int64_t position = 0;
  FinishedRead read{};  // each handle keeps its own, so reads on different handles may overlap
  bool CanRead() const { return GrantsRead(access); }
  bool CanWrite() const { return GrantsWrite(access); }
};

class HandleTable {
 public:
  Handle Add(OpenDevice device);
  OpenDevice* Find(Handle handle);
  bool Remove(Handle handle);
  // Whether a new open of `device` with this access and sharing collides with a handle already open
  // on it (the platform's sharing rule: each side must share what the other reads or writes; opens
  // without data access, such as device-number queries, never collide).
  bool SharingConflict(const DeviceRef& device, std::uint32_t access, std::uint32_t share) const;
  bool AnyWriter(const DeviceRef& device) const;

 private:
  std::map<Handle, OpenDevice> open_;
  Handle next_ = 4;
};

}  // namespace trelvane::emulated
