// The emulated machine's system services: logical drive strings, message texts, modules and the
// shell. Version, bitness, clock and regional formats are answered inline from the description.

#include <algorithm>

#include "backends/emulated/emulated_machine.h"
#include "backends/driver_model/system_messages.h"

namespace trelvane::emulated {

// The roots, each followed by a zero, then one more zero. The answer is the length without that last
// zero; a buffer too small gets nothing and the length it would need, final zero included. The
// machine file may force the answer to test the caller's overflow rule.
std::uint32_t EmulatedMachine::GetLogicalDriveStringsW(std::span<char16_t> buffer) {
  std::u16string strings;
  for (const VolumeConfig& volume : config_.volumes) {
    strings += volume.root;
    strings.push_back(u'\0');
  }
  strings.push_back(u'\0');
  const auto needed = static_cast<std::uint32_t>(strings.size());
  const bool fits = strings.size() <= buffer.size();
  if (fits) std::copy(strings.begin(), strings.end(), buffer.begin());
  if (config_.system.driveStringsLength) return *config_.system.driveStringsLength;
  return fits ? needed - 1 : needed;
}

std::u16string EmulatedMachine::DriveNodeName(std::int64_t driveNumber) {
  for (const DriveConfig& drive : config_.drives)
    if (drive.number == driveNumber) return drive.node;
  return {};
}

namespace {

// Whether `folder` is `base` or lies below it, both made absolute and free of "." and "..".
bool IsInside(const std::filesystem::path& folder, const std::filesystem::path& base) {
  std::error_code ignored;
  const std::filesystem::path inner = std::filesystem::weakly_canonical(folder, ignored);
  const std::filesystem::path outer = std::filesystem::weakly_canonical(base, ignored);
  auto at = inner.begin();
  for (const auto& part : outer) {
    if (part.empty()) continue;  // the empty last element of a path ending in a separator
    if (at == inner.end() || *at != part) return false;
    ++at;
  }
  return true;
}

}  // namespace

// A volume of a disk (device type 7) with a host folder holds the report folders inside that folder;
// every other folder is elsewhere, the machine's drives being images the host folder is not on.
FolderPlace EmulatedMachine::FolderPlaceOfDrive(const std::u16string& folder, std::int64_t driveNumber) {
  const std::filesystem::path path(folder);
  for (const VolumeConfig& volume : config_.volumes)
    if (volume.hostFolder && volume.deviceType == 7 && volume.deviceNumberValue == driveNumber &&
        IsInside(path, *volume.hostFolder))
      return FolderPlace::OnDrive;
  return FolderPlace::Elsewhere;
}

std::u16string EmulatedMachine::FormatMessageW(std::uint32_t code) {
  const auto text = config_.system.errorTexts.find(code);
  return text != config_.system.errorTexts.end() ? text->second : BuiltInSystemMessage(code);
}

ModuleHandle EmulatedMachine::LoadLibraryW(const std::u16string& name) {
  std::uint32_t error = 0;
  const ModuleHandle module = modules_.Load(name, error);
  if (module == 0) lastError_.Set(error);
  return module;
}

EntryAddress EmulatedMachine::GetProcAddress(ModuleHandle module, const std::string& name) {
  std::uint32_t error = 0;
  const EntryAddress entry = modules_.Lookup(module, name, error);
  if (entry == 0) lastError_.Set(error);
  return entry;
}

void EmulatedMachine::FreeLibrary(ModuleHandle module) { modules_.Free(module); }

// Nothing is opened; the call is recorded so tests can see what the program asked the shell for.
void EmulatedMachine::ShellExecuteW(const std::u16string& verb, const std::u16string& file, int showCommand) {
  RecordedRequest record = NewRecord("ShellExecute");
  record.path = file;
  record.code = static_cast<std::uint32_t>(showCommand);
  record.ok = true;
  record.verb = verb;
  log_.Add(std::move(record));
}

}  // namespace trelvane::emulated
