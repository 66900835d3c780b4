#pragma once
// The Windows backend's class, shared by the two files that implement it: the file and device calls
// (windows_device_calls.cpp) and the system information, module, shell and locale calls
// (windows_system_calls.cpp).

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "os/system.h"
#include "backends/windows_encoding/windows_ata_device.h"
#include "backends/windows_encoding/windows_block_device.h"
#include "backends/windows_encoding/windows_volume.h"
#include "os/thread_last_error.h"

namespace trelvane {

// Besides the System calls it is the port the Windows encoding hands its raw device-control requests to.
class WindowsSystem final : public System, public DeviceControlPort {
 public:
  Handle CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode) override;
  bool DeviceIoControl(Handle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out, std::uint32_t& bytesReturned) override;
  // Block-device and volume queries travel as the storage stack's requests (backends/windows_encoding).
  std::unique_ptr<BlockDevice> BlockDeviceOf(Handle drive) override {
    return std::make_unique<WindowsBlockDevice>(*this, drive);
  }
  std::unique_ptr<VolumeControl> VolumeOf(Handle volume) override {
    return std::make_unique<WindowsVolume>(*this, volume);
  }
  // NVMe admin commands travel as the storage stack's protocol-specific queries (backends/windows_encoding).
  std::unique_ptr<NvmeDevice> NvmeDeviceOf(Handle drive) override;
  bool WriteFile(Handle handle, std::span<const std::uint8_t> data, std::uint32_t& bytesWritten) override;
  bool ReadFile(Handle handle, std::span<std::uint8_t> buffer, std::uint32_t& bytesRead) override;
  // The program's handles are not opened for overlapped I/O: the read happens at once.
  void BeginReadFile(Handle handle, std::int64_t offset, std::span<std::uint8_t> buffer) override;
  bool EndReadFile(Handle handle, std::uint32_t& bytesRead) override;
  bool SetFilePointerEx(Handle handle, std::int64_t offset, std::int64_t& newPosition) override;
  bool FlushFileBuffers(Handle handle) override;
  std::uint8_t* VirtualAlloc(std::size_t bytes) override;
  void VirtualFree(std::uint8_t* memory, std::size_t bytes) override;
  void CloseHandle(Handle handle) override;
  // The drive's exclusive open (no sharing) already keeps every other opener out.
  std::vector<DiskOpener> OtherOpeners(Handle) override { return {}; }
  std::uint32_t GetLastError() override;
  // ATA commands go down as the storage stack's SMART and miniport requests.
  std::unique_ptr<AtaDevice> AtaDeviceOf(Handle drive) override {
    return std::make_unique<WindowsAtaDevice>(*this, drive);
  }
  std::uint32_t GetLogicalDriveStringsW(std::span<char16_t> buffer) override;
  std::u16string FormatMessageW(std::uint32_t code) override;

  OsVersion GetVersionExW() override;
  HostFacts GetHostFacts() override;
  std::u16string DriveNodeName(std::int64_t driveNumber) override;
  FolderPlace FolderPlaceOfDrive(const std::u16string& folder, std::int64_t driveNumber) override;
  Wow64Answer IsWow64Process() override;
  int ProcessBits() override;
  std::u16string GetModuleFileNameW() override;
  void Sleep(std::uint32_t milliseconds) override;
  ModuleHandle LoadLibraryW(const std::u16string& name) override;
  EntryAddress GetProcAddress(ModuleHandle module, const std::string& name) override;
  void FreeLibrary(ModuleHandle module) override;
  void ShellExecuteW(const std::u16string& verb, const std::u16string& file, int showCommand) override;
  SystemTime GetLocalTime() override;
  RegionalSettings GetRegionalSettings() override;
  std::uint32_t GetACP() override;

 private:
  // The calling thread's last error, taken right after each call that can fail, so that nothing a
  // wrapper does after the call (freeing its temporary wide string, for one) can change what is
  // reported; kept per thread as the platform keeps it (see os/thread_last_error.h).
  ThreadLastError lastError_;
  void KeepLastError();
  // The result of each handle's read, from BeginReadFile until its EndReadFile: reads on different
  // handles may overlap.
  struct FinishedRead {
    bool ok = false;
    std::uint32_t bytes = 0;
    std::uint32_t error = 0;
  };
  std::mutex readsMutex_;
  std::map<Handle, FinishedRead> reads_;
};

}  // namespace trelvane
