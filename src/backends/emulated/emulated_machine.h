#pragma once
// The running emulated machine: the description read from the machine file plus everything that
// changes while the program uses it (open handles, volume locks, image files, the clock, loaded
// modules, the last error and the request log).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "backends/emulated/device_control.h"
#include "backends/emulated/drive_firmware.h"
#include "backends/emulated/emulated_clock.h"
#include "backends/emulated/emulated_system.h"
#include "backends/emulated/handle_table.h"
#include "backends/emulated/image_file.h"
#include "backends/emulated/machine.h"
#include "backends/driver_model/module_table.h"
#include "backends/emulated/request_log.h"
#include "backends/windows_encoding/windows_ata_device.h"
#include "backends/windows_encoding/windows_block_device.h"
#include "backends/windows_encoding/windows_volume.h"
#include "os/thread_last_error.h"

namespace trelvane::emulated {

class EmulatedMachine final : public EmulatedSystem {
 public:
  // Throws MachineFileError when the request log cannot be opened.
  explicit EmulatedMachine(MachineConfig config);
  EmulatedMachine(const EmulatedMachine&) = delete;
  EmulatedMachine& operator=(const EmulatedMachine&) = delete;

  Handle CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode) override;
  bool DeviceIoControl(Handle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out, std::uint32_t& bytesReturned) override;
  // The machine models the Windows storage stack: block-device and volume queries and NVMe commands
  // arrive as its requests, through DeviceIoControl and the request log.
  std::unique_ptr<BlockDevice> BlockDeviceOf(Handle drive) override {
    return std::make_unique<WindowsBlockDevice>(*this, drive);
  }
  std::unique_ptr<VolumeControl> VolumeOf(Handle volume) override {
    return std::make_unique<WindowsVolume>(*this, volume);
  }
  std::unique_ptr<NvmeDevice> NvmeDeviceOf(Handle drive) override;
  bool WriteFile(Handle handle, std::span<const std::uint8_t> data, std::uint32_t& bytesWritten) override;
  bool ReadFile(Handle handle, std::span<std::uint8_t> buffer, std::uint32_t& bytesRead) override;
  void BeginReadFile(Handle handle, std::int64_t offset, std::span<std::uint8_t> buffer) override;
  bool EndReadFile(Handle handle, std::uint32_t& bytesRead) override;
  bool SetFilePointerEx(Handle handle, std::int64_t offset, std::int64_t& newPosition) override;
  bool FlushFileBuffers(Handle handle) override;
  std::uint8_t* VirtualAlloc(std::size_t bytes) override;
  void VirtualFree(std::uint8_t* memory, std::size_t bytes) override;
  void CloseHandle(Handle handle) override;
  std::vector<DiskOpener> OtherOpeners(Handle drive) override;
  std::uint32_t GetLastError() override { return lastError_.Get(); }
  // The machine models the Windows storage stack: ATA commands reach it as its SMART and miniport
  // requests, and are answered and logged as those.
  std::unique_ptr<AtaDevice> AtaDeviceOf(Handle drive) override {
    return std::make_unique<WindowsAtaDevice>(*this, drive);
  }

  std::uint32_t GetLogicalDriveStringsW(std::span<char16_t> buffer) override;
  std::u16string FormatMessageW(std::uint32_t code) override;
  OsVersion GetVersionExW() override { return config_.system.version; }
  HostFacts GetHostFacts() override { return config_.system.host; }
  std::u16string DriveNodeName(std::int64_t driveNumber) override;
  FolderPlace FolderPlaceOfDrive(const std::u16string& folder, std::int64_t driveNumber) override;
  Wow64Answer IsWow64Process() override { return config_.system.wow64; }
  int ProcessBits() override { return config_.system.processBits; }
  std::u16string GetModuleFileNameW() override { return config_.system.programPath; }
  void Sleep(std::uint32_t milliseconds) override { clock_.Sleep(milliseconds); }
  ModuleHandle LoadLibraryW(const std::u16string& name) override;
  EntryAddress GetProcAddress(ModuleHandle module, const std::string& name) override;
  void FreeLibrary(ModuleHandle module) override;
  void ShellExecuteW(const std::u16string& verb, const std::u16string& file, int showCommand) override;
  SystemTime GetLocalTime() override { return clock_.Read(); }
  RegionalSettings GetRegionalSettings() override { return config_.system.regional; }
  std::uint32_t GetACP() override { return config_.system.ansiCodePage; }

  const std::vector<RecordedRequest>& Requests() const override { return log_.All(); }
  void ClearRequests() override { log_.Clear(); }
  std::int64_t WrittenBytes(std::uint32_t driveNumber) const override;
  ModuleUse ModuleUsage(const std::u16string& moduleName) const override { return modules_.Usage(moduleName); }

 private:
  struct DriveState {
    std::unique_ptr<ImageFile> image;  // null: writes are counted and discarded
    std::int64_t writtenBytes = 0;
    std::unique_ptr<DriveFirmware> firmware;  // the erase commands' state
  };

  std::optional<DeviceRef> Resolve(const std::u16string& path) const;
  std::optional<std::uint32_t> OpenRefusal(const DeviceRef& device, std::uint32_t access, std::uint32_t share) const;
  std::optional<std::uint32_t> WriteRefusal(const OpenDevice& open, std::size_t sizeBytes) const;
  std::optional<std::uint32_t> ReadRefusal(const OpenDevice& open, std::size_t sizeBytes) const;
  // Stores `data` written at `offset` as the drive does: lost ranges keep nothing, a counterfeit
  // drive's high offsets land at its start.
  bool Store(std::size_t driveIndex, std::int64_t offset, std::span<const std::uint8_t> data);
  bool Load(std::size_t driveIndex, std::int64_t offset, std::span<std::uint8_t> buffer);
  void Delay(const DriveConfig& drive, std::size_t sizeBytes) const;
  // What a firmware erase leaves on the drive's media: every byte of the image written.
  void FillMedia(std::size_t driveIndex, const MediaFill& fill);
  // Sets the last error, completes and keeps the record; returns `ok`.
  bool Finish(RecordedRequest& record, bool ok, std::uint32_t error);

  MachineConfig config_;
  std::vector<DriveState> drives_;    // parallel to config_.drives
  std::vector<VolumeState> volumes_;  // parallel to config_.volumes
  HandleTable handles_;
  RequestLog log_;
  EmulatedClock clock_;
  ModuleTable modules_;
  ThreadLastError lastError_;  // see os/thread_last_error.h
};

}  // namespace trelvane::emulated
