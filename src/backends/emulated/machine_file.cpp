#include "backends/emulated/machine_file.h"

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "backends/emulated/emulated_clock.h"
#include "backends/emulated/emulated_machine.h"
#include "text/u16.h"

namespace trelvane::emulated {

namespace {

std::uint32_t U32(std::int64_t value) { return static_cast<std::uint32_t>(value); }

void ParseVersion(ObjectReader& reader, OsVersion& version) {
  version.platformId = U32(reader.Integer("platform_id", version.platformId, 0, MaxU32));
  if (const auto field = reader.Find("version")) {
    if (!field->value->is_array() || field->value->size() != 3)
      Refuse(field->path, "expected an array of three integers [major, minor, build]");
    version.major = U32(AsInteger({&(*field->value)[0], field->path + "[0]"}, 0, MaxU32));
    version.minor = U32(AsInteger({&(*field->value)[1], field->path + "[1]"}, 0, MaxU32));
    version.build = U32(AsInteger({&(*field->value)[2], field->path + "[2]"}, 0, MaxU32));
  }
  version.servicePack = FromUtf8(reader.String("service_pack", ""));
}

// "false", "true", "missing" (no IsWow64Process entry) or "fails"; true and false are taken too.
Wow64Answer ParseWow64(ObjectReader& reader) {
  const auto field = reader.Find("wow64");
  if (!field) return Wow64Answer::No;
  if (field->value->is_boolean()) return field->value->get<bool>() ? Wow64Answer::Yes : Wow64Answer::No;
  static constexpr std::pair<std::string_view, Wow64Answer> Answers[] = {
      {"false", Wow64Answer::No},
      {"true", Wow64Answer::Yes},
      {"missing", Wow64Answer::EntryMissing},
      {"fails", Wow64Answer::CallFailed}};
  if (field->value->is_string())
    for (const auto& [name, answer] : Answers)
      if (field->value->get<std::string>() == name) return answer;
  Refuse(field->path, "expected \"false\", \"true\", \"missing\" or \"fails\"");
}

std::map<std::u16string, ModuleOffer> ParseModules(ObjectReader& reader) {
  std::map<std::u16string, ModuleOffer> modules;
  for (const auto& [name, field] : reader.Entries("modules")) {
    ObjectReader module(field);
    ModuleOffer config;
    config.absent = module.Boolean("absent", false);
    for (const Field& entry : module.Items("missing")) config.missing.push_back(AsString(entry));
    module.RejectUnknownFields();
    modules[ModuleKey(FromUtf8(name))] = std::move(config);
  }
  return modules;
}

void ParseClock(ObjectReader& reader, SystemConfig& system) {
  if (const auto text = reader.OptionalString("clock")) {
    system.clockStart = ParseLocalTime(*text);
    if (!system.clockStart) Refuse(reader.PathOf("clock"), "expected a local time like 2026-12-07T10:15:30.250");
  }
  system.clockStepMs = reader.OptionalInteger("clock_step_ms", 0, MaxU32);
}

void ParseRegional(ObjectReader& reader, RegionalSettings& regional) {
  regional.shortDateFormat = FromUtf8(reader.String("short_date_format", ToUtf8(regional.shortDateFormat)));
  regional.longTimeFormat = FromUtf8(reader.String("long_time_format", ToUtf8(regional.longTimeFormat)));
  if (const auto field = reader.Find("decimal_separator")) {
    const std::u16string separator = FromUtf8(AsString(*field));
    if (separator.size() != 1) Refuse(field->path, "expected one character");
    regional.decimalSeparator = separator[0];
  }
}

std::map<std::uint32_t, std::u16string> ParseErrorTexts(ObjectReader& reader) {
  std::map<std::uint32_t, std::u16string> texts;
  for (const auto& [code, field] : reader.Entries("error_texts")) {
    const bool decimal = !code.empty() && code.size() <= 10 && code.find_first_not_of("0123456789") == std::string::npos;
    if (!decimal || std::stoull(code) > static_cast<std::uint64_t>(MaxU32))
      Refuse(field.path, "expected a decimal error code as the name");
    texts[U32(static_cast<std::int64_t>(std::stoull(code)))] = FromUtf8(AsString(field));
  }
  return texts;
}

SystemConfig ParseSystem(std::optional<ObjectReader> reader, const std::filesystem::path& baseDirectory) {
  SystemConfig system;
  if (!reader) return system;
  ParseVersion(*reader, system.version);
  system.processBits = static_cast<int>(reader->Integer("process_bits", 64, 0, MaxU32));
  if (system.processBits != 32 && system.processBits != 64) Refuse(reader->PathOf("process_bits"), "expected 32 or 64");
  system.wow64 = ParseWow64(*reader);
  system.programPath = FromUtf8(reader->String("program_path", ToUtf8(system.programPath)));
  system.modules = ParseModules(*reader);
  ParseClock(*reader, system);
  ParseRegional(*reader, system.regional);
  system.errorTexts = ParseErrorTexts(*reader);
  if (const auto length = reader->OptionalInteger("drive_strings_length", 0, MaxU32)) system.driveStringsLength = U32(*length);
  if (const auto log = reader->OptionalString("request_log")) {
    if (log->empty()) Refuse(reader->PathOf("request_log"), "expected a file name");
    system.requestLog = ResolvePath(baseDirectory, *log);
    RequireRegularFile(reader->PathOf("request_log"), *system.requestLog, true);
  }
  system.ansiCodePage = U32(reader->Integer("ansi_code_page", 1251, 0, 65535));  // an addition of this backend
  system.preinstallation = reader->Boolean("preinstallation", false);
  // Who and where the program runs, for the erasure report.
  system.host.computerName = FromUtf8(reader->String("host_name", ToUtf8(system.host.computerName)));
  system.host.operatingSystem = FromUtf8(reader->String("os_name", ToUtf8(system.host.operatingSystem)));
  system.host.userName = FromUtf8(reader->String("user_name", ToUtf8(system.host.userName)));
  system.host.utcOffsetMinutes =
      static_cast<int>(reader->Integer("utc_offset_minutes", system.host.utcOffsetMinutes, -840, 840));
  reader->RejectUnknownFields();
  return system;
}

template <typename Config>
struct FaultField {
  std::string_view name;
  RequestFault Config::*member;
};

// `extended_io` and `unlock` are additions of this backend (the lock's FSCTL_ALLOW_EXTENDED_DASD_IO,
// and the FSCTL_UNLOCK_VOLUME that gives a volume back when a format is refused).
constexpr FaultField<VolumeConfig> VolumeFaults[] = {
    {"query_open", &VolumeConfig::queryOpen}, {"open", &VolumeConfig::open},
    {"device_number", &VolumeConfig::deviceNumber}, {"lock", &VolumeConfig::lock},
    {"dismount", &VolumeConfig::dismount}, {"extended_io", &VolumeConfig::extendedIo},
    {"unlock", &VolumeConfig::unlock}};

// Roots default to the letters in order, C:\ first.
VolumeConfig ParseVolume(const Field& field, std::size_t index, const std::filesystem::path& baseDirectory) {
  ObjectReader reader(field);
  VolumeConfig volume;
  const std::string defaultRoot = index < 24 ? std::string(1, static_cast<char>('C' + index)) + ":\\" : "";
  volume.root = FromUtf8(reader.String("root", defaultRoot));
  if (volume.root.empty()) Refuse(reader.PathOf("root"), "expected a root such as \"C:\\\\\"");
  for (const auto& fault : VolumeFaults) volume.*fault.member = ReadRequestFault(reader, fault.name);
  volume.deviceType = U32(reader.Integer("device_type", volume.deviceType, 0, MaxU32));
  volume.deviceNumberValue = U32(reader.Integer("device_number", volume.deviceNumberValue, 0, MaxU32));
  volume.partition = U32(reader.Integer("partition", volume.partition, 0, MaxU32));
  if (const auto folder = reader.OptionalString("host_folder")) {
    if (folder->empty()) Refuse(reader.PathOf("host_folder"), "expected a folder");
    volume.hostFolder = ResolvePath(baseDirectory, *folder);
  }
  reader.RejectUnknownFields();
  return volume;
}

void CheckDistinct(const MachineConfig& machine) {
  std::set<std::u16string> roots;
  for (std::size_t i = 0; i < machine.volumes.size(); ++i)
    if (!roots.insert(AsciiUpper(machine.volumes[i].root)).second)
      Refuse("volumes[" + std::to_string(i) + "].root", "another volume has this root");
  std::set<std::uint32_t> numbers;
  for (std::size_t i = 0; i < machine.drives.size(); ++i)
    if (!numbers.insert(machine.drives[i].number).second)
      Refuse("drives[" + std::to_string(i) + "].number", "another drive has this number");
}

}  // namespace

RequestFault ReadRequestFault(ObjectReader& reader, std::string_view name) {
  RequestFault fault;
  fault.error = U32(reader.Integer(std::string(name) + "_error", 0, 0, MaxU32));
  fault.fails = reader.Boolean(std::string(name) + "_fails", false);
  return fault;
}

std::filesystem::path ResolvePath(const std::filesystem::path& baseDirectory, const std::string& utf8Name) {
  const std::u8string name(utf8Name.begin(), utf8Name.end());
  return baseDirectory / std::filesystem::path(name);
}

std::string ByteString(const Field& field) {
  const std::u16string text = FromUtf8(AsString(field));
  std::string bytes;
  for (const char16_t c : text) {
    if (c > 0xFF) Refuse(field.path, "expected characters of code 0 to 255 (one byte each)");
    bytes.push_back(static_cast<char>(c));
  }
  return bytes;
}

MachineConfig ParseMachine(const nlohmann::json& file, const std::filesystem::path& baseDirectory,
                           const std::string& fileName) {
  MachineConfig machine;
  machine.fileName = fileName;
  ObjectReader root(Field{&file, ""});
  machine.system = ParseSystem(root.Object("system"), baseDirectory);
  const std::vector<Field> volumes = root.Items("volumes");
  for (std::size_t i = 0; i < volumes.size(); ++i) machine.volumes.push_back(ParseVolume(volumes[i], i, baseDirectory));
  const std::vector<Field> drives = root.Items("drives");
  for (std::size_t i = 0; i < drives.size(); ++i) machine.drives.push_back(ParseDrive(drives[i], i, baseDirectory));
  root.RejectUnknownFields();
  CheckDistinct(machine);
  return machine;
}

}  // namespace trelvane::emulated

namespace trelvane {

std::unique_ptr<EmulatedSystem> EmulatedMachineFromJson(std::string_view json,
                                                        const std::filesystem::path& baseDirectory,
                                                        const std::string& fileName) {
  nlohmann::json file;
  try {
    file = emulated::ParseWithoutDuplicateKeys(std::string(json));
  } catch (const nlohmann::json::exception& error) {
    throw MachineFileError(fileName + ": not valid JSON: " + error.what());
  } catch (const emulated::FieldProblem& problem) {
    throw MachineFileError(fileName + ": " + problem.path + ": " + problem.what());
  }
  try {
    return std::make_unique<emulated::EmulatedMachine>(emulated::ParseMachine(file, baseDirectory, fileName));
  } catch (const emulated::FieldProblem& problem) {
    throw MachineFileError(fileName + ": " + problem.path + ": " + problem.what());
  }
}

std::unique_ptr<EmulatedSystem> LoadEmulatedMachine(const std::filesystem::path& machineFile) {
  // Checked before opening: opening a FIFO for reading waits for a writer that may never come.
  std::error_code ignored;
  const std::filesystem::file_type type = std::filesystem::status(machineFile, ignored).type();
  if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::regular)
    throw MachineFileError(machineFile.string() + ": is not a regular file");
  std::ifstream in(machineFile, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in || type != std::filesystem::file_type::regular)
    throw MachineFileError(machineFile.string() + ": cannot read the file");
  return EmulatedMachineFromJson(text.str(), machineFile.parent_path(), machineFile.string());
}

}  // namespace trelvane
