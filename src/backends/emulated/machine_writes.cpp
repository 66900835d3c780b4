// Positioning, writing and flushing on an emulated drive: the zero fill's requests.

#include <chrono>
#include <limits>
#include <thread>

#include "backends/emulated/emulated_machine.h"
#include "os/win_constants.h"

namespace trelvane::emulated {

namespace {


bool Overlaps(const WriteFault& fault, std::int64_t offset, std::int64_t size) {
  return size > 0 && offset < fault.to.value_or(std::numeric_limits<std::int64_t>::max()) && fault.from < offset + size;
}

}  // namespace

// Raw disk writes must cover whole sectors, as the platform's disk drivers require (sector sizes
// below 512, which the program never trusts, are not enforced); a write reaching past the end of
// the drive is refused whole, as the disk reports a sector that does not exist. A drive held by
// another program (claim_error, openers) refuses every write, as the real backend's claim of the disk
// does; a write-protected one (read_only) refuses them with 19.
std::optional<std::uint32_t> EmulatedMachine::WriteRefusal(const OpenDevice& open, std::size_t sizeBytes) const {
  if (!open.CanWrite() || open.device.kind != DeviceKind::Drive) return ErrorCode::AccessDenied;
  const DriveConfig& drive = config_.drives[open.device.index];
  // A drive in the sanitize failed state takes no reads or writes until a sanitize completes.
  if (drives_[open.device.index].firmware->MediaRefused()) return ErrorCode::IoDevice;
  const auto size = static_cast<std::int64_t>(sizeBytes);
  if (drive.claimError != 0) return drive.claimError;
  if (!drive.openers.empty()) return ErrorCode::SharingViolation;
  if (drive.readOnly) return ErrorCode::WriteProtect;
  const std::int64_t sector = drive.sectorSize;
  if (sector >= 512 && (open.position % sector != 0 || size % sector != 0)) return ErrorCode::InvalidParameter;
  if (open.position > drive.lengthBytes || size > drive.lengthBytes - open.position)
    return ErrorCode::SectorNotFound;
  for (const WriteFault& fault : drive.writeFaults)
    if (Overlaps(fault, open.position, size)) return fault.error;
  return std::nullopt;
}

void EmulatedMachine::Delay(const DriveConfig& drive, std::size_t sizeBytes) const {
  if (drive.writeDelayUsPerMiB == 0) return;
  const double microseconds = static_cast<double>(sizeBytes) * static_cast<double>(drive.writeDelayUsPerMiB) / 1048576.0;
  std::this_thread::sleep_for(std::chrono::microseconds(static_cast<std::int64_t>(microseconds)));
}

bool EmulatedMachine::WriteFile(Handle handle, std::span<const std::uint8_t> data, std::uint32_t& bytesWritten) {
  RecordedRequest record = NewRecord("WriteFile");
  record.handle = handle;
  record.size = static_cast<std::int64_t>(data.size());
  bytesWritten = 0;
  OpenDevice* open = handles_.Find(handle);
  if (open == nullptr) return Finish(record, false, ErrorCode::InvalidHandle);
  record.path = open->path;
  record.offset = open->position;
  if (const auto refusal = WriteRefusal(*open, data.size())) return Finish(record, false, *refusal);
  DriveState& drive = drives_[open->device.index];
  if (!Store(open->device.index, open->position, data)) return Finish(record, false, ErrorCode::IoDevice);
  Delay(config_.drives[open->device.index], data.size());
  open->position += static_cast<std::int64_t>(data.size());
  drive.writtenBytes += static_cast<std::int64_t>(data.size());
  bytesWritten = static_cast<std::uint32_t>(data.size());
  record.returned = bytesWritten;
  return Finish(record, true, ErrorCode::Success);
}

bool EmulatedMachine::SetFilePointerEx(Handle handle, std::int64_t offset, std::int64_t& newPosition) {
  RecordedRequest record = NewRecord("SetFilePointerEx");
  record.handle = handle;
  record.offset = offset;
  OpenDevice* open = handles_.Find(handle);
  if (open == nullptr) return Finish(record, false, ErrorCode::InvalidHandle);
  record.path = open->path;
  if (offset < 0) return Finish(record, false, ErrorCode::NegativeSeek);
  if (open->device.kind == DeviceKind::Drive) {
    for (const SeekFault& fault : config_.drives[open->device.index].seekFaults)
      if (fault.at == offset) return Finish(record, false, fault.error);
  }
  open->position = offset;
  newPosition = offset;
  return Finish(record, true, ErrorCode::Success);
}

std::vector<DiskOpener> EmulatedMachine::OtherOpeners(Handle drive) {
  RecordedRequest record = NewRecord("OtherOpeners");
  record.handle = drive;
  const OpenDevice* open = handles_.Find(drive);
  if (open == nullptr || open->device.kind != DeviceKind::Drive) {
    Finish(record, false, ErrorCode::InvalidHandle);
    return {};
  }
  record.path = open->path;
  Finish(record, true, ErrorCode::Success);
  return config_.drives[open->device.index].openers;
}

bool EmulatedMachine::FlushFileBuffers(Handle handle) {
  RecordedRequest record = NewRecord("FlushFileBuffers");
  record.handle = handle;
  const OpenDevice* open = handles_.Find(handle);
  if (open == nullptr) return Finish(record, false, ErrorCode::InvalidHandle);
  record.path = open->path;
  if (!open->CanWrite()) return Finish(record, false, ErrorCode::AccessDenied);
  if (open->device.kind == DeviceKind::Drive) {
    const DriveConfig& config = config_.drives[open->device.index];
    if (config.flush.Refuses()) return Finish(record, false, config.flush.error);
    DriveState& drive = drives_[open->device.index];
    if (drive.image && !drive.image->Flush()) return Finish(record, false, ErrorCode::IoDevice);
  }
  return Finish(record, true, ErrorCode::Success);
}

}  // namespace trelvane::emulated
