// Reading an emulated drive back, and how a lying drive stores what it is given: lost writes and a
// counterfeit capacity.

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "backends/emulated/emulated_machine.h"
#include "os/win_constants.h"

namespace trelvane::emulated {

namespace {

bool Overlaps(const ReadFault& fault, std::int64_t offset, std::int64_t size) {
  return size > 0 && offset < fault.to.value_or(std::numeric_limits<std::int64_t>::max()) && fault.from < offset + size;
}

// Calls `each(from, to)` for the parts of [from, to) that no lost range covers.
template <typename Each>
void ForKeptParts(const std::vector<LostWrites>& lost, std::int64_t from, std::int64_t to, Each each) {
  std::int64_t at = from;
  while (at < to) {
    std::int64_t end = to;
    bool inLost = false;
    for (const LostWrites& range : lost) {
      if (range.from <= at && at < range.to) {
        at = std::min(range.to, to);
        inLost = true;
        break;
      }
      if (range.from > at) end = std::min(end, range.from);
    }
    if (inLost) continue;
    each(at, end);
    at = end;
  }
}

// Calls `each(physical, from, to)` for the pieces of [from, to) that a counterfeit drive keeps apart:
// none crosses a multiple of `wrapsAt`, and each lands at its offset modulo `wrapsAt`.
template <typename Each>
bool ForStoredPieces(const std::optional<std::int64_t>& wrapsAt, std::int64_t from, std::int64_t to, Each each) {
  std::int64_t at = from;
  while (at < to) {
    const std::int64_t physical = wrapsAt ? at % *wrapsAt : at;
    const std::int64_t end = wrapsAt ? std::min(to, at + (*wrapsAt - physical)) : to;
    if (!each(physical, at, end)) return false;
    at = end;
  }
  return true;
}

}  // namespace

// Recorded as a ReadFile at `offset`; the machine reads at once, and the result waits in the handle's
// entry for EndReadFile.
void EmulatedMachine::BeginReadFile(Handle handle, std::int64_t offset, std::span<std::uint8_t> buffer) {
  if (OpenDevice* open = handles_.Find(handle)) open->position = offset;
  FinishedRead read;
  read.ok = ReadFile(handle, buffer, read.bytes);
  read.error = lastError_.Get();
  read.pending = true;
  if (OpenDevice* open = handles_.Find(handle)) open->read = read;
}

bool EmulatedMachine::EndReadFile(Handle handle, std::uint32_t& bytesRead) {
  OpenDevice* open = handles_.Find(handle);
  if (open == nullptr || !open->read.pending) {
    bytesRead = 0;
    lastError_.Set(ErrorCode::InvalidHandle);
    return false;
  }
  const FinishedRead read = std::exchange(open->read, FinishedRead{});
  bytesRead = read.bytes;
  lastError_.Set(read.error);
  return read.ok;
}

// Page-aligned like the platform's; an emulated machine has no large pages.
std::uint8_t* EmulatedMachine::VirtualAlloc(std::size_t bytes) {
  auto* memory = static_cast<std::uint8_t*>(::operator new(bytes, std::align_val_t{4096}, std::nothrow));
  if (memory != nullptr) std::memset(memory, 0, bytes);
  return memory;
}

void EmulatedMachine::VirtualFree(std::uint8_t* memory, std::size_t) { ::operator delete(memory, std::align_val_t{4096}); }

bool EmulatedMachine::Store(std::size_t driveIndex, std::int64_t offset, std::span<const std::uint8_t> data) {
  DriveState& drive = drives_[driveIndex];
  const DriveConfig& config = config_.drives[driveIndex];
  if (!drive.image || data.empty()) return true;
  bool ok = true;
  const std::int64_t end = offset + static_cast<std::int64_t>(data.size());
  ForKeptParts(config.lostWrites, offset, end, [&](std::int64_t from, std::int64_t to) {
    ok = ok && ForStoredPieces(config.wrapsAt, from, to, [&](std::int64_t physical, std::int64_t a, std::int64_t b) {
           return drive.image->WriteAt(physical, data.subspan(static_cast<std::size_t>(a - offset),
                                                              static_cast<std::size_t>(b - a)));
         });
  });
  return ok;
}

bool EmulatedMachine::Load(std::size_t driveIndex, std::int64_t offset, std::span<std::uint8_t> buffer) {
  DriveState& drive = drives_[driveIndex];
  if (!drive.image) {
    // Without an image the drive keeps nothing it is given, and reads as zeros.
    std::memset(buffer.data(), 0, buffer.size());
    return true;
  }
  const std::int64_t end = offset + static_cast<std::int64_t>(buffer.size());
  return ForStoredPieces(config_.drives[driveIndex].wrapsAt, offset, end,
                         [&](std::int64_t physical, std::int64_t a, std::int64_t b) {
                           return drive.image->ReadAt(physical, buffer.subspan(static_cast<std::size_t>(a - offset),
                                                                              static_cast<std::size_t>(b - a)));
                         });
}

// Reads follow the rules of writes: whole sectors, nothing past the end; a read fault fails every
// read that overlaps it.
std::optional<std::uint32_t> EmulatedMachine::ReadRefusal(const OpenDevice& open, std::size_t sizeBytes) const {
  if (!open.CanRead() || open.device.kind != DeviceKind::Drive) return ErrorCode::AccessDenied;
  const DriveConfig& drive = config_.drives[open.device.index];
  // A drive in the sanitize failed state takes no reads or writes until a sanitize completes.
  if (drives_[open.device.index].firmware->MediaRefused()) return ErrorCode::IoDevice;
  const auto size = static_cast<std::int64_t>(sizeBytes);
  const std::int64_t sector = drive.sectorSize;
  if (sector >= 512 && (open.position % sector != 0 || size % sector != 0)) return ErrorCode::InvalidParameter;
  if (open.position > drive.lengthBytes || size > drive.lengthBytes - open.position)
    return ErrorCode::SectorNotFound;
  for (const ReadFault& fault : drive.readFaults)
    if (Overlaps(fault, open.position, size)) return fault.error;
  return std::nullopt;
}

bool EmulatedMachine::ReadFile(Handle handle, std::span<std::uint8_t> buffer, std::uint32_t& bytesRead) {
  RecordedRequest record = NewRecord("ReadFile");
  record.handle = handle;
  record.size = static_cast<std::int64_t>(buffer.size());
  bytesRead = 0;
  OpenDevice* open = handles_.Find(handle);
  if (open == nullptr) return Finish(record, false, ErrorCode::InvalidHandle);
  record.path = open->path;
  record.offset = open->position;
  if (const auto refusal = ReadRefusal(*open, buffer.size())) return Finish(record, false, *refusal);
  if (!Load(open->device.index, open->position, buffer)) return Finish(record, false, ErrorCode::IoDevice);
  open->position += static_cast<std::int64_t>(buffer.size());
  bytesRead = static_cast<std::uint32_t>(buffer.size());
  record.returned = bytesRead;
  return Finish(record, true, ErrorCode::Success);
}

}  // namespace trelvane::emulated
