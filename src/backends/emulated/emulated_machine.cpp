#include "backends/emulated/emulated_machine.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>
#include <utility>

#include "backends/driver_model/access_rights.h"
#include "backends/windows_encoding/windows_nvme_device.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::emulated {

namespace {

constexpr std::u16string_view DevicePrefix = u"\\\\.\\";
constexpr std::u16string_view DrivePrefix = u"\\\\.\\PHYSICALDRIVE";

RequestLog OpenRequestLog(const MachineConfig& config) {
  try {
    return RequestLog(config.system.requestLog);
  } catch (const std::runtime_error& error) {
    throw MachineFileError(config.fileName + ": system.request_log: " + error.what());
  }
}

// The drive number of a "\\.\PhysicalDriveN" name, written as the platform writes it (no sign, no
// leading zero); nullopt for any other name.
std::optional<std::uint32_t> DriveNumberOf(const std::u16string& upperPath) {
  if (!upperPath.starts_with(DrivePrefix)) return std::nullopt;
  const std::u16string_view digits = std::u16string_view(upperPath).substr(DrivePrefix.size());
  if (digits.empty() || digits.size() > 9 || (digits.size() > 1 && digits[0] == u'0')) return std::nullopt;
  std::uint32_t number = 0;
  for (const char16_t digit : digits) {
    if (digit < u'0' || digit > u'9') return std::nullopt;
    number = number * 10 + static_cast<std::uint32_t>(digit - u'0');
  }
  return number;
}

// "C:\" is opened as "\\.\C:"; a root without the trailing backslash is its own name.
std::u16string VolumeName(const std::u16string& root) {
  return !root.empty() && root.back() == u'\\' ? root.substr(0, root.size() - 1) : root;
}

}  // namespace

EmulatedMachine::EmulatedMachine(MachineConfig config)
    : config_(std::move(config)),
      log_(OpenRequestLog(config_)),
      clock_(config_.system.clockStart, config_.system.clockStepMs),
      modules_(ModuleCatalog{config_.system.modules, true}) {
  for (std::size_t i = 0; i < config_.drives.size(); ++i) {
    const DriveConfig& drive = config_.drives[i];
    DriveState state;
    if (drive.image) state.image = std::make_unique<ImageFile>(*drive.image, drive.lengthBytes);
    state.firmware = std::make_unique<DriveFirmware>(drive, [this, i](const MediaFill& fill) { FillMedia(i, fill); });
    drives_.push_back(std::move(state));
  }
  for (const VolumeConfig& volume : config_.volumes) volumes_.push_back(VolumeState{&volume, std::nullopt});
}

bool EmulatedMachine::Finish(RecordedRequest& record, bool ok, std::uint32_t error) {
  lastError_.Set(error);
  record.ok = ok;
  record.error = error;
  log_.Add(std::move(record));
  return ok;
}

std::optional<DeviceRef> EmulatedMachine::Resolve(const std::u16string& path) const {
  const std::u16string upper = AsciiUpper(path);
  if (const auto number = DriveNumberOf(upper)) {
    for (std::size_t i = 0; i < config_.drives.size(); ++i)
      if (config_.drives[i].number == *number) return DeviceRef{DeviceKind::Drive, i};
    return std::nullopt;
  }
  if (!upper.starts_with(DevicePrefix)) return std::nullopt;
  for (std::size_t i = 0; i < config_.volumes.size(); ++i) {
    const std::u16string name = AsciiUpper(VolumeName(config_.volumes[i].root));
    if (!name.empty() && upper.substr(DevicePrefix.size()) == name) return DeviceRef{DeviceKind::Volume, i};
  }
  return std::nullopt;
}

std::optional<std::uint32_t> EmulatedMachine::OpenRefusal(const DeviceRef& device, std::uint32_t access,
                                                          std::uint32_t share) const {
  if (device.kind == DeviceKind::Drive) {
    const DriveConfig& drive = config_.drives[device.index];
    if (drive.open.Refuses()) return drive.open.error;
    if (share == Share::None && drive.exclusiveOpen.Refuses()) return drive.exclusiveOpen.error;
  } else {
    const VolumeConfig& volume = config_.volumes[device.index];
    // A query-only open (access 0) and a data open are refused separately.
    const RequestFault& fault = GrantsRead(access) || GrantsWrite(access) ? volume.open : volume.queryOpen;
    if (fault.Refuses()) return fault.error;
  }
  if (handles_.SharingConflict(device, access, share)) return ErrorCode::SharingViolation;
  return std::nullopt;
}

Handle EmulatedMachine::CreateFileW(const std::u16string& path, std::uint32_t desiredAccess,
                                    std::uint32_t shareMode) {
  RecordedRequest record = NewRecord("CreateFile");
  record.path = path;
  record.access = desiredAccess;
  record.share = shareMode;
  const auto device = Resolve(path);
  const auto refusal = device ? OpenRefusal(*device, desiredAccess, shareMode) : ErrorCode::FileNotFound;
  if (refusal) {
    Finish(record, false, *refusal);
    return InvalidHandle;
  }
  const Handle handle = handles_.Add(OpenDevice{*device, path, desiredAccess, shareMode});
  record.handle = handle;
  Finish(record, true, ErrorCode::Success);
  return handle;
}

bool EmulatedMachine::DeviceIoControl(Handle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                                      std::span<std::uint8_t> out, std::uint32_t& bytesReturned) {
  // The input is copied first: callers may pass one buffer as both input and output.
  RecordedRequest record = NewRecord("DeviceIoControl");
  record.code = code;
  record.in.assign(in.begin(), in.end());
  record.outSize = static_cast<std::uint32_t>(out.size());
  record.handle = handle;
  bytesReturned = 0;
  OpenDevice* open = handles_.Find(handle);
  DeviceReply reply = DeviceReply::Failure(ErrorCode::InvalidHandle);
  if (open != nullptr) {
    record.path = open->path;
    const bool isDrive = open->device.kind == DeviceKind::Drive;
    RequestContext request{handle,
                           isDrive ? &config_.drives[open->device.index] : nullptr,
                           isDrive ? nullptr : &volumes_[open->device.index],
                           record.in,
                           out,
                           isDrive ? drives_[open->device.index].firmware.get() : nullptr,
                           config_.system.preinstallation};
    reply = RequestAccessAllowed(code, open->access) ? AnswerDeviceControl(code, request)
                                             : DeviceReply::Failure(ErrorCode::AccessDenied);
  }
  bytesReturned = reply.returned;
  record.returned = reply.returned;
  return Finish(record, reply.ok, reply.error);
}

// The media as the firmware leaves it, physical bytes from the start (a counterfeit drive has only
// `wrapsAt` of them); a drive without an image keeps nothing anyway.
void EmulatedMachine::FillMedia(std::size_t driveIndex, const MediaFill& fill) {
  DriveState& drive = drives_[driveIndex];
  const DriveConfig& config = config_.drives[driveIndex];
  if (!drive.image) return;
  const std::int64_t end = std::min(config.lengthBytes, config.wrapsAt.value_or(config.lengthBytes));
  std::vector<std::uint8_t> chunk(std::size_t{1} << 20, fill.byte);
  std::uint64_t state = fill.seed;
  // The key a crypto erase leaves follows from what the media held before (FNV-1a of its first
  // block), so that a second crypto erase, also one by a later run of the program, changes every
  // byte again, while the same media always gets the same bytes.
  if (fill.random) {
    std::array<std::uint8_t, 4096> before{};
    const auto first = static_cast<std::size_t>(std::min<std::int64_t>(end, static_cast<std::int64_t>(before.size())));
    std::uint64_t hash = 0xCBF29CE484222325u;
    if (drive.image->ReadAt(0, std::span<std::uint8_t>(before).first(first)))
      for (std::size_t i = 0; i < first; ++i) hash = (hash ^ before[i]) * 0x100000001B3u;
    state ^= hash;
  }
  state |= 1u;
  for (std::int64_t at = 0; at < end; at += static_cast<std::int64_t>(chunk.size())) {
    const auto size = static_cast<std::size_t>(std::min<std::int64_t>(end - at, static_cast<std::int64_t>(chunk.size())));
    if (fill.random)
      for (std::size_t i = 0; i < size; ++i) {  // xorshift64: the new key's bytes
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        chunk[i] = static_cast<std::uint8_t>(state >> 24);
      }
    drive.image->WriteAt(at, std::span<const std::uint8_t>(chunk).first(size));
  }
  drive.image->Flush();
}

std::unique_ptr<NvmeDevice> EmulatedMachine::NvmeDeviceOf(Handle drive) {
  return std::make_unique<WindowsNvmeDevice>(*this, drive);
}

void EmulatedMachine::CloseHandle(Handle handle) {
  RecordedRequest record = NewRecord("CloseHandle");
  record.handle = handle;
  const OpenDevice* open = handles_.Find(handle);
  if (open == nullptr) {
    Finish(record, false, ErrorCode::InvalidHandle);
    return;
  }
  record.path = open->path;
  const DeviceRef device = open->device;
  handles_.Remove(handle);
  if (device.kind == DeviceKind::Volume) {
    // Closing the handle that locked a volume releases the lock.
    VolumeState& volume = volumes_[device.index];
    if (volume.lockedBy == handle) volume.lockedBy.reset();
  } else if (drives_[device.index].image && !handles_.AnyWriter(device)) {
    drives_[device.index].image->Close();
  }
  Finish(record, true, ErrorCode::Success);
}

std::int64_t EmulatedMachine::WrittenBytes(std::uint32_t driveNumber) const {
  for (std::size_t i = 0; i < config_.drives.size(); ++i)
    if (config_.drives[i].number == driveNumber) return drives_[i].writtenBytes;
  return 0;
}

}  // namespace trelvane::emulated
