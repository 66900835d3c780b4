#include "cli/json_reports.h"

#include <array>
#include <cstdio>
#include <optional>

#include "ata/ata_erase_capabilities.h"
#include "ata/ata_transport.h"
#include "ata/device_details.h"
#include "ata/identify_data.h"
#include "ata/smart_attribute_names.h"
#include "ata/smart_report.h"
#include "common/product.h"
#include "device/probe.h"
#include "nvme/nvme_erase_capabilities.h"
#include "nvme/nvme_identify.h"
#include "nvme/nvme_transport.h"
#include "os/bytes.h"
#include "os/win_constants.h"
#include "text/u16.h"
#include "text/wide_decimal.h"

namespace trelvane::cli {

namespace {

constexpr int KelvinAtZeroCelsius = 273;

JsonValue Text(const std::u16string& text) { return JsonValue(ToUtf8(text)); }
JsonValue Number(std::int64_t value) { return JsonValue(value); }

std::u16string TrimmedRight(std::u16string text) {
  while (!text.empty() && text.back() == u' ') text.pop_back();
  return text;
}

// The volumes the enumeration found on the drive, one item each.
JsonValue Partitions(const std::u16string& names) {
  JsonValue items = JsonValue::Array();
  std::size_t start = 0;
  while (start < names.size()) {
    std::size_t end = names.find(u' ', start);
    if (end == std::u16string::npos) end = names.size();
    if (end > start) items.Push(Text(names.substr(start, end - start)));
    start = end + 1;
  }
  return items;
}

// What the drive list knows of a drive: the list's row with its numbers as numbers.
JsonValue DriveObject(System& system, const TDeviceTable& entry) {
  const TIdentifyDeviceData& data = entry.IdentifyData;
  const std::u16string node = system.DriveNodeName(entry.DeviceNumber);
  JsonValue drive = JsonValue::Object();
  drive.Add("number", Number(entry.DeviceNumber));
  drive.Add("device_path", Text(entry.DevicePath));
  drive.Add("node", node.empty() ? JsonValue() : Text(node));
  drive.Add("bus", Text(BusTypeName(data.BusType)));
  drive.Add("model", Text(data.Model));
  drive.Add("firmware", Text(data.FW));
  drive.Add("serial", Text(data.SN));
  drive.Add("partitions", Partitions(entry.AssociatedPartitions));
  drive.Add("sectors", Number(data.LBA));
  drive.Add("sector_size", Number(data.SectorSize));
  drive.Add("bytes", Number(data.LBA * data.SectorSize));
  drive.Add("removable", data.RemovableMedia);
  drive.Add("second_name_of", entry.FirstNameOfStorage.empty() ? JsonValue() : Text(entry.FirstNameOfStorage));
  return drive;
}

JsonValue EraseTime(const AtaEraseTime& time) {
  JsonValue value = JsonValue::Object();
  switch (time.kind) {
    case AtaEraseTime::Kind::NotReported: return JsonValue();
    case AtaEraseTime::Kind::Minutes: value.Add("minutes", Number(time.minutes)); break;
    case AtaEraseTime::Kind::LongerThan: value.Add("longer_than_minutes", Number(time.minutes)); break;
  }
  return value;
}

JsonValue AtaDetails(const T_IDE_PASSPORT& passport, const AtaEraseCapabilities& caps) {
  JsonValue details = JsonValue::Object();
  JsonValue& identity = details.Add("identity", JsonValue::Object());
  identity.Add("model", Text(passport.name));
  identity.Add("firmware", Text(passport.fw));
  identity.Add("serial", Text(passport.sn));
  identity.Add("buffer_bytes", Number(passport.buffersize));
  JsonValue& capacity = details.Add("capacity", JsonValue::Object());
  capacity.Add("lba", passport.lba28support);
  capacity.Add("lba48", passport.lba48support);
  capacity.Add("lba_sectors", Number(passport.lba28sectors));
  capacity.Add("lba48_sectors", Number(passport.lba48sectors));
  capacity.Add("sectors", Number(passport.lbasectors));
  // As the text report counts it: 512 bytes a sector.
  capacity.Add("bytes", Number(passport.lbasectors * 512));
  JsonValue& security = details.Add("security", JsonValue::Object());
  security.Add("supported", passport.securitysupport);
  security.Add("enabled", caps.security.enabled);
  security.Add("locked", passport.locked);
  security.Add("level", passport.locked ? JsonValue(passport.lockedmax ? "maximum" : "high") : JsonValue());
  security.Add("frozen", caps.security.frozen);
  security.Add("count_expired", caps.security.countExpired);
  security.Add("enhanced_erase", caps.security.enhancedEraseSupported);
  security.Add("normal_erase_time", EraseTime(caps.normalEraseTime));
  security.Add("enhanced_erase_time", EraseTime(caps.enhancedEraseTime));
  JsonValue& features = details.Add("features", JsonValue::Object());
  features.Add("smart", passport.smartsupport);
  features.Add("hpa", passport.hpasupport);
  features.Add("aam", passport.aamsupport);
  features.Add("streaming", passport.StreamingSupported);
  // Word 75 holds the depth minus one.
  JsonValue& queuing = details.Add("queuing", JsonValue::Object());
  queuing.Add("supported", passport.QueueDepth > 0);
  queuing.Add("depth", passport.QueueDepth > 0 ? Number(passport.QueueDepth + 1) : JsonValue());
  JsonValue& sanitize = details.Add("sanitize", JsonValue::Object());
  sanitize.Add("supported", caps.sanitizeSupported);
  sanitize.Add("crypto_scramble", caps.cryptoScramble);
  sanitize.Add("block_erase", caps.blockErase);
  sanitize.Add("overwrite", caps.overwrite);
  details.Add("encrypts_all_user_data", caps.encryptsAllUserData);
  // 0: not reported, 1: solid state, otherwise revolutions a minute.
  details.Add("rotation_rate", Number(caps.rotationRate));
  return details;
}

std::string VersionText(std::uint32_t version) {
  if (version == 0) return {};
  return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF) + "." +
         std::to_string(version & 0xFF);
}

JsonValue NvmeDetails(const NvmeController& controller, const NvmeNamespace& space,
                      std::optional<std::uint32_t> activeNamespaces) {
  JsonValue details = JsonValue::Object();
  JsonValue& identity = details.Add("controller", JsonValue::Object());
  identity.Add("model", Text(controller.model));
  identity.Add("firmware", Text(controller.firmware));
  identity.Add("serial", Text(controller.serial));
  identity.Add("ieee_oui", Number(controller.ieeeOui));
  identity.Add("controller_id", Number(controller.controllerId));
  identity.Add("version", controller.version == 0 ? JsonValue() : JsonValue(VersionText(controller.version)));
  identity.Add("highest_namespace_id", Number(controller.highestNamespaceId));
  identity.Add("active_namespaces", activeNamespaces ? Number(*activeNamespaces) : JsonValue());
  identity.Add("oacs", Number(controller.adminCommands));
  identity.Add("fna", Number(controller.formatAttributes));
  identity.Add("oncs", Number(controller.nvmCommands));
  identity.Add("sanicap", Number(controller.sanitizeCapabilities));
  identity.Add("volatile_write_cache", controller.volatileWriteCache);
  JsonValue& name = details.Add("namespace", JsonValue::Object());
  name.Add("size_blocks", JsonValue::Unsigned(space.sizeBlocks));
  name.Add("capacity_blocks", JsonValue::Unsigned(space.capacityBlocks));
  name.Add("utilization_blocks", JsonValue::Unsigned(space.utilizationBlocks));
  name.Add("format_in_use", Number(static_cast<std::int64_t>(space.formatInUse)));
  name.Add("metadata_extended", space.metadataExtended);
  name.Add("protection_type", Number(space.protectionType));
  name.Add("protection_first", space.protectionFirst);
  JsonValue& formats = name.Add("formats", JsonValue::Array());
  for (const NvmeLbaFormat& format : space.formats) {
    JsonValue item = JsonValue::Object();
    item.Add("data_bytes", Number(std::int64_t{1} << (format.dataSizeShift & 63)));
    item.Add("metadata_bytes", Number(format.metadataBytes));
    item.Add("performance", Number(format.performance));
    formats.Push(std::move(item));
  }
  const NvmeEraseCapabilities caps = EraseCapabilitiesOf(controller, activeNamespaces);
  JsonValue& erase = details.Add("erase", JsonValue::Object());
  erase.Add("sanitize_crypto", caps.sanitizeCrypto);
  erase.Add("sanitize_block", caps.sanitizeBlock);
  erase.Add("sanitize_overwrite", caps.sanitizeOverwrite);
  erase.Add("format_nvm", caps.formatNvm);
  erase.Add("format_crypto_erase", caps.formatCryptoErase);
  erase.Add("format_applies_to_all", caps.formatAppliesToAll);
  erase.Add("secure_erase_applies_to_all", caps.secureEraseAppliesToAll);
  return details;
}

// SMART READ DATA: bytes 0-1 the revision, then up to 30 records of 12 bytes: id, flags (2 bytes),
// current value, worst value, raw value (6 bytes, least significant first), reserved.
JsonValue AtaSmart(std::span<const std::uint8_t, 512> data) {
  constexpr std::uint8_t TemperatureAttribute = 194;
  JsonValue smart = JsonValue::Object();
  smart.Add("revision", Number(ReadU16LE(data, 0)));
  JsonValue& attributes = smart.Add("attributes", JsonValue::Array());
  for (std::size_t index = 0; index < 30; ++index) {
    const auto record = data.subspan(2 + index * 12).first<12>();
    if (record[0] == 0) break;
    std::uint64_t raw = 0;
    for (std::size_t i = 6; i-- > 0;) raw = (raw << 8) | record[5 + i];
    JsonValue attribute = JsonValue::Object();
    attribute.Add("id", Number(record[0]));
    attribute.Add("name", Text(TrimmedRight(SmartAttributeName(record[0]))));
    attribute.Add("value", Number(record[3]));
    attribute.Add("worst", Number(record[4]));
    // The thresholds are a sector of their own that the program does not read.
    attribute.Add("threshold", JsonValue());
    attribute.Add("raw", JsonValue::Unsigned(raw));
    attribute.Add("flags", Number(ReadU16LE(record, 1)));
    attribute.Add("temperature_celsius", record[0] == TemperatureAttribute ? Number(record[5]) : JsonValue());
    attributes.Push(std::move(attribute));
  }
  return smart;
}

// 0 K is no reading and 65 535 K no temperature.
JsonValue Celsius(std::uint16_t kelvin) {
  if (kelvin == 0 || kelvin == 0xFFFF) return JsonValue();
  return Number(std::int64_t{kelvin} - KelvinAtZeroCelsius);
}

JsonValue Wide(std::span<const std::uint8_t, 512> log, std::size_t offset) {
  return JsonValue::Digits(ToUtf8(WideDecimal(log.subspan(offset, 16))));
}

JsonValue NvmeHealth(std::span<const std::uint8_t, 512> log) {
  constexpr std::array<const char*, 6> WarningBits = {"spare_below_threshold", "temperature",
                                                      "reliability_degraded",  "read_only",
                                                      "volatile_backup_failed", "persistent_memory_read_only"};
  constexpr std::array<std::pair<const char*, std::size_t>, 10> Counters = {{{"data_units_read", 32},
                                                                            {"data_units_written", 48},
                                                                            {"host_read_commands", 64},
                                                                            {"host_write_commands", 80},
                                                                            {"controller_busy_minutes", 96},
                                                                            {"power_cycles", 112},
                                                                            {"power_on_hours", 128},
                                                                            {"unsafe_shutdowns", 144},
                                                                            {"media_errors", 160},
                                                                            {"error_log_entries", 176}}};
  JsonValue health = JsonValue::Object();
  health.Add("critical_warning", Number(log[0]));
  JsonValue& warnings = health.Add("warnings", JsonValue::Object());
  for (unsigned bit = 0; bit < WarningBits.size(); ++bit) warnings.Add(WarningBits[bit], ((log[0] >> bit) & 1) != 0);
  const std::uint16_t composite = ReadU16LE(log, 1);
  health.Add("temperature_kelvin", Number(composite));
  health.Add("temperature_celsius", Celsius(composite));
  health.Add("available_spare", Number(log[3]));
  health.Add("available_spare_threshold", Number(log[4]));
  health.Add("percentage_used", Number(log[5]));
  for (const auto& [name, offset] : Counters) health.Add(name, Wide(log, offset));
  // A data unit is 1000 blocks of 512 bytes.
  health.Add("bytes_read", JsonValue::Digits(ToUtf8(WideDecimal(log.subspan(32, 16), 512000))));
  health.Add("bytes_written", JsonValue::Digits(ToUtf8(WideDecimal(log.subspan(48, 16), 512000))));
  health.Add("warning_temperature_minutes", Number(ReadU32LE(log, 192)));
  health.Add("critical_temperature_minutes", Number(ReadU32LE(log, 196)));
  JsonValue& sensors = health.Add("temperature_sensors", JsonValue::Array());
  for (std::size_t sensor = 0; sensor < 8; ++sensor) {
    const std::uint16_t kelvin = ReadU16LE(log, 200 + 2 * sensor);
    if (kelvin == 0) continue;  // a sensor the controller does not have
    JsonValue item = JsonValue::Object();
    item.Add("sensor", Number(static_cast<std::int64_t>(sensor + 1)));
    item.Add("kelvin", Number(kelvin));
    item.Add("celsius", Celsius(kelvin));
    sensors.Push(std::move(item));
  }
  return health;
}

void Say(Session& session, const std::u16string& text) { PrintMessage(session.messages, text); }

}  // namespace

JsonValue JsonDocumentHead(const std::string& command) {
  const std::string product = ToUtf8(ProductLine);
  JsonValue document = JsonValue::Object();
  document.Add("format_version", JsonFormatVersion);
  document.Add("program", product.substr(0, product.rfind(' ')));
  document.Add("version", product.substr(product.rfind(' ') + 1));
  document.Add("command", command);
  return document;
}

int ListJson(Session& session, JsonValue& document) {
  JsonValue& drives = document.Add("drives", JsonValue::Array());
  for (std::int64_t index = 1; index <= session.state.DriveCount; ++index)
    drives.Push(DriveObject(*session.system, session.state.DriveTable[index]));
  return ExitSuccess;
}

int DetailsJson(Session& session, std::int64_t driveNumber, JsonValue& document) {
  const int opened = OpenDriveForCommand(session, driveNumber);
  if (opened != ExitSuccess) return opened;
  System& system = *session.system;
  const TDeviceTable& entry = session.state.SelectedEntry();
  document.Add("drive", DriveObject(system, entry));
  const Handle handle = session.state.DriveHandle.Get();
  std::array<std::uint8_t, 512> identify{};
  const bool answered = IdentifyForDetails(system, handle, entry.IdentifyData, identify);
  if (!answered && entry.IdentifyData.BusType == BusTypeAta) Say(session, u"Детали недоступны: Внутренняя ошибка.");
  if (answered) {
    document.Add("transport", "ata");
    document.Add("details",
                 AtaDetails(DecodeIdentifyData(identify, system.GetACP()), DecodeEraseCapabilities(identify)));
    return ExitSuccess;
  }
  std::array<std::uint8_t, 4096> controller{};
  std::array<std::uint8_t, 4096> space{};
  std::array<std::uint8_t, 4096> list{};
  if (entry.IdentifyData.BusType == BusTypeNvme && ReadNvmeIdentifyController(system, handle, controller)) {
    std::optional<std::uint32_t> activeNamespaces;
    if (ReadNvmeActiveNamespaces(system, handle, list)) activeNamespaces = CountActiveNamespaces(list);
    if (ReadNvmeIdentifyNamespace(system, handle, space)) {
      document.Add("transport", "nvme");
      document.Add("details", NvmeDetails(DecodeIdentifyController(controller), DecodeIdentifyNamespace(space),
                                          activeNamespaces));
      return ExitSuccess;
    }
  }
  document.Add("transport", JsonValue());
  document.Add("details", JsonValue());
  if (entry.IdentifyData.BusType != BusTypeAta) Say(session, u"Детали недоступны для этого устройства.");
  return ExitSuccess;
}

int SmartJson(Session& session, std::int64_t driveNumber, JsonValue& document) {
  const int opened = OpenDriveForCommand(session, driveNumber);
  if (opened != ExitSuccess) return opened;
  System& system = *session.system;
  document.Add("drive", DriveObject(system, session.state.SelectedEntry()));
  // An NVMe drive is asked for its health log and sent no ATA SMART command while it answers.
  std::array<std::uint8_t, 512> log{};
  if (session.state.SelectedEntry().IdentifyData.BusType == BusTypeNvme &&
      ReadNvmeHealthLog(system, session.state.DriveHandle.Get(), log)) {
    document.Add("transport", "nvme");
    document.Add("health", NvmeHealth(log));
    return ExitSuccess;
  }
  if (!ReadDriveSmartData(system, session.state, log)) {
    document.Add("transport", JsonValue());
    Say(session, u"SMART не поддерживается этим устройством.");
    return ExitSuccess;
  }
  document.Add("transport", "ata");
  document.Add("smart", AtaSmart(log));
  return ExitSuccess;
}

void PrintJsonDocument(JsonValue document, const std::vector<std::u16string>& messages) {
  JsonValue& items = document.Add("messages", JsonValue::Array());
  for (const std::u16string& message : messages) items.Push(Text(message));
  const std::string text = document.Text() + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace trelvane::cli
