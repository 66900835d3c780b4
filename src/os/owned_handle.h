#pragma once
// The one owner of an open device or volume handle. It closes the handle through the System that
// opened it when it goes out of scope, is replaced or is closed, so every path out of the code that
// opened it (a fatal box ending the program included) closes it exactly once. Move-only: a second
// owner would close it twice. Hand the plain Handle (Get) to code that only sends requests through it.

#include <utility>

#include "os/system.h"

namespace trelvane {

class OwnedHandle {
 public:
  OwnedHandle() = default;
  // Takes over `handle` as CreateFileW returned it; an InvalidHandle is held as "nothing open".
  OwnedHandle(System& system, Handle handle) : system_(&system), handle_(handle) {}
  ~OwnedHandle() { Close(); }

  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& other) noexcept
      : system_(other.system_), handle_(std::exchange(other.handle_, InvalidHandle)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      system_ = other.system_;
      handle_ = std::exchange(other.handle_, InvalidHandle);
    }
    return *this;
  }

  Handle Get() const { return handle_; }
  bool IsOpen() const { return handle_ != InvalidHandle; }

  // Closes the handle now (once); afterwards nothing is open.
  void Close() {
    if (handle_ == InvalidHandle) return;
    system_->CloseHandle(std::exchange(handle_, InvalidHandle));
  }

  // Gives the handle up without closing it; the caller owns it from now on.
  [[nodiscard]] Handle Release() { return std::exchange(handle_, InvalidHandle); }

 private:
  System* system_ = nullptr;
  Handle handle_ = InvalidHandle;
};

// Opens a device as System::CreateFileW does and owns what it returns (possibly nothing: check
// IsOpen, and read GetLastError at once as after any failed open).
inline OwnedHandle OpenOwned(System& system, const std::u16string& path, std::uint32_t desiredAccess,
                             std::uint32_t shareMode) {
  return OwnedHandle(system, system.CreateFileW(path, desiredAccess, shareMode));
}

}  // namespace trelvane
