#include "backends/linux/linux_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "backends/linux/backend_state.h"
#include "backends/linux/device_path.h"
#include "backends/linux/disk_reader.h"
#include "backends/linux/disk_claim.h"
#include "backends/linux/folder_place.h"
#include "backends/linux/host_facts.h"
#include "backends/linux/io_memory.h"
#include "backends/linux/locale_formats.h"
#include "backends/linux/logical_drives.h"
#include "backends/linux/module_catalog.h"
#include "backends/linux/nvme_admin.h"
#include "backends/linux/remount.h"
#include "backends/linux/linux_block_device.h"
#include "backends/linux/sg_io.h"
#include "backends/linux/shell_open.h"
#include "backends/linux/storage_names.h"
#include "backends/linux/sysfs.h"
#include "backends/linux/system_info.h"
#include "backends/driver_model/system_messages.h"
#include "os/thread_last_error.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

using namespace linux_platform;


// Open flags for the platform's access: exclusive writers go around the page cache so that every
// write reports its own error; a query-only open must not wait for a medium.
int OpenFlags(std::uint32_t access) {
  if ((access & Access::GenericWrite) != 0) return O_RDWR | O_DIRECT | O_CLOEXEC;
  if ((access & Access::GenericRead) != 0) return O_RDONLY | O_CLOEXEC;
  return O_RDONLY | O_NONBLOCK | O_CLOEXEC;
}

// The drive's advisory lock. udev takes a shared one while it probes a disk (after every change, the
// close of an earlier run's handle included), so a lock refused for about a second is someone else's:
// another run of this program, or a partitioning tool that honours the same convention.
bool LockExclusive(int fd) {
  constexpr int Retries = 10;
  for (int attempt = 0;; ++attempt) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK || attempt == Retries) return false;
    SleepMilliseconds(100);
  }
}

class LinuxSystem final : public System {
 public:
  explicit LinuxSystem(std::string argv0) : argv0_(std::move(argv0)) {}

  Handle CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode) override {
    const auto parsed = ParseDevicePath(path);
    if (!parsed) return Fail(ErrorCode::FileNotFound);
    OpenDevice device;
    device.access = desiredAccess;
    std::optional<dev_t> expected;
    if (parsed->kind == DevicePath::Kind::PhysicalDrive) {
      const DriveEntry* entry = state_.Drives().Find(parsed->driveNumber);
      if (entry == nullptr) return Fail(ErrorCode::FileNotFound);
      device.kind = HandleKind::Drive;
      device.nodePath = entry->nodePath;
      expected = entry->rdev;
    } else {
      device.kind = HandleKind::Volume;
      device.nodePath = parsed->nodePath;
    }
    const std::uint32_t error = OpenNode(device, expected, shareMode == Share::None);
    if (error != ErrorCode::Success) return Fail(error);
    lastError_.Set(ErrorCode::Success);
    return state_.handles.Add(std::move(device));
  }

  std::unique_ptr<BlockDevice> BlockDeviceOf(Handle drive) override {
    return std::make_unique<LinuxBlockDevice>(state_, drive);
  }
  std::unique_ptr<VolumeControl> VolumeOf(Handle volume) override {
    return std::make_unique<LinuxVolume>(state_, volume);
  }

  std::unique_ptr<NvmeDevice> NvmeDeviceOf(Handle drive) override { return MakeNvmeAdminDevice(state_.handles, drive); }

  bool WriteFile(Handle handle, std::span<const std::uint8_t> data, std::uint32_t& bytesWritten) override {
    bytesWritten = 0;
    OpenDevice* device = state_.handles.Find(handle);
    if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
    if ((device->access & Access::GenericWrite) == 0) return Failed(ErrorCode::AccessDenied);
    if (device->kind == HandleKind::Drive) {
      const std::uint32_t claim = ClaimWholeDisk(state_.handles, *device);
      if (claim != ErrorCode::Success) return Failed(claim);
    }
    const WriteOutcome outcome = WriteAllAt(device->fd.Get(), data, device->position, state_.bounce);
    device->position += static_cast<std::int64_t>(outcome.written);
    bytesWritten = static_cast<std::uint32_t>(outcome.written);
    if (outcome.error != 0)
      return Failed(ErrorFromErrno(outcome.error, WriteFailureFacts(*device, outcome.error)));
    lastError_.Set(ErrorCode::Success);
    return true;
  }

  bool ReadFile(Handle handle, std::span<std::uint8_t> buffer, std::uint32_t& bytesRead) override {
    bytesRead = 0;
    OpenDevice* device = state_.handles.Find(handle);
    if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
    const ReadOutcome outcome = ReadAllAt(device->fd.Get(), buffer, device->position, state_.bounce);
    device->position += static_cast<std::int64_t>(outcome.read);
    bytesRead = static_cast<std::uint32_t>(outcome.read);
    if (outcome.error != 0) return Failed(ReadErrorCode(*device, outcome.error));
    lastError_.Set(ErrorCode::Success);
    return true;
  }

  void BeginReadFile(Handle handle, std::int64_t offset, std::span<std::uint8_t> buffer) override {
    OpenDevice* device = state_.handles.Find(handle);
    if (device == nullptr) return;
    if (!device->read) device->read = std::make_unique<PendingRead>();
    PendingRead& read = *device->read;
    read.started = true;
    read.now = ReadOutcome{};
    read.inBackground = read.overlapped.Start(device->fd.Get(), buffer, offset);
    if (!read.inBackground) read.now = ReadAllAt(device->fd.Get(), buffer, offset, state_.bounce);
  }

  bool EndReadFile(Handle handle, std::uint32_t& bytesRead) override {
    bytesRead = 0;
    OpenDevice* device = state_.handles.Find(handle);
    if (device == nullptr || !device->read || !device->read->started) return Failed(ErrorCode::InvalidHandle);
    PendingRead& read = *device->read;
    const ReadOutcome outcome = read.inBackground ? read.overlapped.Wait(state_.bounce) : read.now;
    read.started = false;
    read.inBackground = false;
    bytesRead = static_cast<std::uint32_t>(outcome.read);
    if (outcome.error != 0) return Failed(ReadErrorCode(*device, outcome.error));
    lastError_.Set(ErrorCode::Success);
    return true;
  }

  // The position is the backend's own: Linux refuses lseek past the end of a block device, the
  // platform does not, and pwrite needs no file position anyway.
  bool SetFilePointerEx(Handle handle, std::int64_t offset, std::int64_t& newPosition) override {
    OpenDevice* device = state_.handles.Find(handle);
    if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
    if (offset < 0) return Failed(ErrorCode::NegativeSeek);
    device->position = offset;
    newPosition = offset;
    lastError_.Set(ErrorCode::Success);
    return true;
  }

  bool FlushFileBuffers(Handle handle) override {
    OpenDevice* device = state_.handles.Find(handle);
    if (device == nullptr) return Failed(ErrorCode::InvalidHandle);
    if ((device->access & Access::GenericWrite) == 0) return Failed(ErrorCode::AccessDenied);
    if (fsync(device->fd.Get()) != 0) return Failed(ErrnoCode(*device, errno));
    lastError_.Set(ErrorCode::Success);
    return true;
  }

  std::uint8_t* VirtualAlloc(std::size_t bytes) override { return MapIoMemory(bytes); }
  void VirtualFree(std::uint8_t* memory, std::size_t bytes) override { UnmapIoMemory(memory, bytes); }

  void CloseHandle(Handle handle) override {
    auto device = state_.handles.Take(handle);
    if (!device) {
      lastError_.Set(ErrorCode::InvalidHandle);
      return;
    }
    const bool wasLocked = device->lockFd.IsOpen();
    CloseDevice(*device);
    const std::vector<UnrestoredMountPoint> failed = state_.remounts.Restore(device->unmounted);
    state_.unrestoredMounts.insert(state_.unrestoredMounts.end(), failed.begin(), failed.end());
    if (wasLocked) RescanIfUnlocked(state_, *device);
    lastError_.Set(ErrorCode::Success);
  }

  std::vector<DiskOpener> OtherOpeners(Handle handle) override {
    const OpenDevice* device = state_.handles.Find(handle);
    return device != nullptr ? device->otherOpeners : std::vector<DiskOpener>{};
  }

  std::uint32_t GetLastError() override { return lastError_.Get(); }
  std::unique_ptr<AtaDevice> AtaDeviceOf(Handle drive) override {
    return std::make_unique<SgAtaDevice>(state_.handles, drive);
  }

  std::uint32_t GetLogicalDriveStringsW(std::span<char16_t> buffer) override {
    std::vector<std::string> names;
    for (const InUseVolume& volume : FindInUseVolumes()) names.push_back(volume.name);
    lastError_.Set(ErrorCode::Success);
    return WriteDriveStrings(names, buffer);
  }

  std::u16string FormatMessageW(std::uint32_t code) override { return BuiltInSystemMessage(code); }
  OsVersion GetVersionExW() override { return ReadKernelVersion(); }
  HostFacts GetHostFacts() override { return ReadHostFacts(); }
  std::u16string DriveNodeName(std::int64_t driveNumber) override {
    const DriveEntry* entry = FindDrive(driveNumber);
    return entry != nullptr ? FromUtf8(entry->nodePath) : u"";
  }
  FolderPlace FolderPlaceOfDrive(const std::u16string& folder, std::int64_t driveNumber) override {
    const DriveEntry* entry = FindDrive(driveNumber);
    if (entry == nullptr || !entry->rdev) return FolderPlace::Unknown;
    const auto onDisk = FolderOnDisk(ToUtf8(folder), *entry->rdev);
    if (!onDisk) return FolderPlace::Unknown;
    return *onDisk ? FolderPlace::OnDrive : FolderPlace::Elsewhere;
  }
  Wow64Answer IsWow64Process() override { return Wow64Answer::No; }
  int ProcessBits() override { return static_cast<int>(sizeof(void*) * 8); }
  std::u16string GetModuleFileNameW() override { return ReadProgramPath(argv0_); }
  void Sleep(std::uint32_t milliseconds) override { SleepMilliseconds(milliseconds); }

  ModuleHandle LoadLibraryW(const std::u16string& name) override {
    std::uint32_t error = ErrorCode::Success;
    const ModuleHandle module = modules_.Load(name, error);
    lastError_.Set(error);
    return module;
  }
  EntryAddress GetProcAddress(ModuleHandle module, const std::string& name) override {
    std::uint32_t error = ErrorCode::Success;
    const EntryAddress entry = modules_.Lookup(module, name, error);
    lastError_.Set(error);
    return entry;
  }
  void FreeLibrary(ModuleHandle module) override { modules_.Free(module); }

  void ShellExecuteW(const std::u16string& verb, const std::u16string& file, int) override {
    if (const auto command = ShellCommand(verb, file, FindOnPath)) StartDetached(*command);
  }

  SystemTime GetLocalTime() override { return ReadLocalTime(); }
  RegionalSettings GetRegionalSettings() override { return ReadRegionalSettings(); }
  std::uint32_t GetACP() override { return ReadAnsiCodePage(); }

  std::u16string FirstNameOfSameStorage(std::uint32_t driveNumber) override {
    return FromUtf8(FirstNameInList(state_.Drives(), driveNumber));
  }

  std::vector<UnrestoredMount> TakeUnrestoredMounts() override {
    std::vector<UnrestoredMount> mounts;
    const std::vector<UnrestoredMountPoint> waited = state_.remounts.Finish();
    state_.unrestoredMounts.insert(state_.unrestoredMounts.end(), waited.begin(), waited.end());
    for (const UnrestoredMountPoint& mount : state_.unrestoredMounts)
      mounts.push_back({FromUtf8(mount.mountPoint), mount.error});
    state_.unrestoredMounts.clear();
    return mounts;
  }

 private:
  const DriveEntry* FindDrive(std::int64_t driveNumber) {
    if (driveNumber < 0 || driveNumber > 0xFFFFFFFF) return nullptr;
    return state_.Drives().Find(static_cast<std::uint32_t>(driveNumber));
  }
  Handle Fail(std::uint32_t code) {
    lastError_.Set(code);
    return InvalidHandle;
  }
  bool Failed(std::uint32_t code) {
    lastError_.Set(code);
    return false;
  }

  static std::uint32_t ErrnoCode(const OpenDevice& device, int error) {
    return ErrorFromErrno(error, GatherErrnoFacts(device.fd.Get(), device.rdev, error));
  }

  // A read of a disk being wiped is judged as its writes are: a disk that was unplugged, detached or
  // has shrunk reads past its new end as 0 bytes (ENOSPC here) or EIO, which only the node, sysfs and
  // the size tell from a bad sector; the read-back must end at once, not split every block to sectors.
  static std::uint32_t ReadErrorCode(const OpenDevice& device, int error) {
    return ErrorFromErrno(error, WriteFailureFacts(device, error));
  }

  // Opens the node as a block device (and, for `expected`, the same one the drive list saw).
  // An exclusive open also takes the block-device lock that keeps udev and other tools away.
  static std::uint32_t OpenNode(OpenDevice& device, std::optional<dev_t> expected, bool exclusive) {
    FileDescriptor fd = OpenFile(device.nodePath, OpenFlags(device.access));
    if (!fd.IsOpen()) return ErrorFromErrno(errno);
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0 || !S_ISBLK(info.st_mode) || (expected && info.st_rdev != *expected))
      return ErrorCode::FileNotFound;
    if (exclusive && !LockExclusive(fd.Get()))
      return errno == EWOULDBLOCK ? ErrorCode::SharingViolation : ErrorFromErrno(errno);
    device.fd = std::move(fd);
    device.rdev = info.st_rdev;
    device.diskRdev = info.st_rdev;
    device.diskNode = device.nodePath;
    if (const auto described = DescribeBlockDevice(info.st_rdev)) {
      device.diskRdev = described->diskRdev;
      if (described->isPartition) device.diskNode = "/dev/" + described->diskName;
    }
    return ErrorCode::Success;
  }

  std::string argv0_;
  BackendState state_;
  ModuleTable modules_{LinuxModuleCatalog()};
  ThreadLastError lastError_;  // see os/thread_last_error.h
};

}  // namespace

std::unique_ptr<System> MakeLinuxSystem(const char* argv0) {
  return std::make_unique<LinuxSystem>(argv0 != nullptr ? argv0 : "");
}

}  // namespace trelvane
