// File and device calls of the Windows backend: each goes straight to the Win32 function.

#include <algorithm>
#include <limits>
#include <string>

#include "backends/windows/wide_text.h"
#include "backends/windows/windows_api.h"
#include "backends/windows/windows_system_impl.h"
#include "backends/windows_encoding/windows_nvme_device.h"

namespace trelvane {
namespace {

HANDLE ToHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }

// Win32 lengths are 32-bit; a longer buffer is refused rather than silently cut.
bool FitsDword(std::size_t size) { return size <= std::numeric_limits<DWORD>::max(); }

}  // namespace

void WindowsSystem::KeepLastError() { lastError_.Set(::GetLastError()); }

std::uint32_t WindowsSystem::GetLastError() { return lastError_.Get(); }

Handle WindowsSystem::CreateFileW(const std::u16string& path, std::uint32_t desiredAccess,
                                  std::uint32_t shareMode) {
  const std::wstring widePath = ToWide(path);
  const HANDLE handle =
      ::CreateFileW(widePath.c_str(), desiredAccess, shareMode, nullptr, OPEN_EXISTING, 0, nullptr);
  KeepLastError();
  return reinterpret_cast<Handle>(handle);
}

std::unique_ptr<NvmeDevice> WindowsSystem::NvmeDeviceOf(Handle drive) {
  return std::make_unique<WindowsNvmeDevice>(*this, drive);
}

bool WindowsSystem::DeviceIoControl(Handle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                                    std::span<std::uint8_t> out, std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  if (!FitsDword(in.size()) || !FitsDword(out.size())) {
    lastError_.Set(ERROR_INVALID_PARAMETER);
    return false;
  }
  // The input is only read; the platform's signature is not const-qualified.
  void* input = const_cast<std::uint8_t*>(in.data());
  DWORD returned = 0;
  const BOOL ok = ::DeviceIoControl(ToHandle(handle), code, input, static_cast<DWORD>(in.size()), out.data(),
                                    static_cast<DWORD>(out.size()), &returned, nullptr);
  KeepLastError();
  bytesReturned = returned;
  return ok != FALSE;
}

bool WindowsSystem::WriteFile(Handle handle, std::span<const std::uint8_t> data, std::uint32_t& bytesWritten) {
  bytesWritten = 0;
  if (!FitsDword(data.size())) {
    lastError_.Set(ERROR_INVALID_PARAMETER);
    return false;
  }
  DWORD written = 0;
  const BOOL ok = ::WriteFile(ToHandle(handle), data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  KeepLastError();
  bytesWritten = written;
  return ok != FALSE;
}

bool WindowsSystem::ReadFile(Handle handle, std::span<std::uint8_t> buffer, std::uint32_t& bytesRead) {
  bytesRead = 0;
  if (!FitsDword(buffer.size())) {
    lastError_.Set(ERROR_INVALID_PARAMETER);
    return false;
  }
  DWORD read = 0;
  const BOOL ok = ::ReadFile(ToHandle(handle), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
  KeepLastError();
  bytesRead = read;
  return ok != FALSE;
}

void WindowsSystem::BeginReadFile(Handle handle, std::int64_t offset, std::span<std::uint8_t> buffer) {
  std::int64_t position = 0;
  FinishedRead read;
  read.ok = SetFilePointerEx(handle, offset, position) && ReadFile(handle, buffer, read.bytes);
  read.error = lastError_.Get();
  const std::lock_guard<std::mutex> lock(readsMutex_);
  reads_[handle] = read;
}

bool WindowsSystem::EndReadFile(Handle handle, std::uint32_t& bytesRead) {
  FinishedRead read{false, 0, ERROR_INVALID_HANDLE};
  {
    const std::lock_guard<std::mutex> lock(readsMutex_);
    if (const auto found = reads_.find(handle); found != reads_.end()) {
      read = found->second;
      reads_.erase(found);
    }
  }
  bytesRead = read.bytes;
  lastError_.Set(read.error);
  return read.ok;
}

std::uint8_t* WindowsSystem::VirtualAlloc(std::size_t bytes) {
  return static_cast<std::uint8_t*>(::VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

void WindowsSystem::VirtualFree(std::uint8_t* memory, std::size_t) { ::VirtualFree(memory, 0, MEM_RELEASE); }

bool WindowsSystem::SetFilePointerEx(Handle handle, std::int64_t offset, std::int64_t& newPosition) {
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  LARGE_INTEGER position{};
  const BOOL ok = ::SetFilePointerEx(ToHandle(handle), distance, &position, FILE_BEGIN);
  KeepLastError();
  if (ok == FALSE) return false;
  newPosition = position.QuadPart;
  return true;
}

bool WindowsSystem::FlushFileBuffers(Handle handle) {
  const BOOL ok = ::FlushFileBuffers(ToHandle(handle));
  KeepLastError();
  return ok != FALSE;
}

void WindowsSystem::CloseHandle(Handle handle) {
  {
    // The platform reuses handle values: a read never ended must not answer for a later handle.
    const std::lock_guard<std::mutex> lock(readsMutex_);
    reads_.erase(handle);
  }
  ::CloseHandle(ToHandle(handle));
  KeepLastError();
}

std::uint32_t WindowsSystem::GetLogicalDriveStringsW(std::span<char16_t> buffer) {
  if (!FitsDword(buffer.size())) buffer = buffer.first(std::numeric_limits<DWORD>::max());
  std::wstring wide(buffer.size(), L'\0');
  const DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(wide.size()), wide.data());
  KeepLastError();
  // A length of the buffer's size or more means it was too small: nothing useful was written.
  if (length < buffer.size()) std::copy_n(wide.begin(), length + 1, buffer.begin());
  return length;
}

}  // namespace trelvane
