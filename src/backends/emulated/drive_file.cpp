// The `drives` entries of the machine file.

#include <fstream>
#include <iterator>

#include "backends/emulated/device_replies.h"
#include "backends/emulated/erase_file.h"
#include "backends/emulated/inline_blocks.h"
#include "backends/emulated/machine_file.h"
#include "backends/emulated/nvme_file.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::emulated {

namespace {

std::uint32_t U32(std::int64_t value) { return static_cast<std::uint32_t>(value); }
std::uint8_t U8(std::int64_t value) { return static_cast<std::uint8_t>(value); }

// `update_properties` and `flush` are additions of this backend (IOCTL_DISK_UPDATE_PROPERTIES and
// FlushFileBuffers); every `<name>_error` has its `<name>_fails`.
constexpr std::pair<std::string_view, RequestFault DriveConfig::*> DriveFaults[] = {
    {"open", &DriveConfig::open},
    {"exclusive_open", &DriveConfig::exclusiveOpen},
    {"geometry", &DriveConfig::geometry},
    {"length", &DriveConfig::length},
    {"adapter", &DriveConfig::adapter},
    {"device", &DriveConfig::device},
    {"identify_rcv", &DriveConfig::identifyRcv},
    {"miniport", &DriveConfig::miniport},
    {"smart_enable", &DriveConfig::smartEnable},
    {"smart_disable", &DriveConfig::smartDisable},
    {"smart_rcv", &DriveConfig::smartRcv},
    {"smart_send", &DriveConfig::smartSend},
    {"update_properties", &DriveConfig::updateProperties},
    {"flush", &DriveConfig::flush},
};

void ParseAdapter(ObjectReader& drive, DriveConfig& config) {
  auto adapter = drive.Object("adapter");
  if (!adapter) return;
  config.busType = U8(adapter->Integer("bus_type", config.busType, 0, 255));
  config.maxTransfer = U32(adapter->Integer("max_transfer", config.maxTransfer, 0, MaxU32));
  adapter->RejectUnknownFields();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1024 hexadecimal digits, any case, blanks and line breaks between them allowed.
Block ParseReplyHex(const Field& field) {
  std::string digits;
  for (const char c : AsString(field)) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (HexDigit(c) < 0) Refuse(field.path, "expected hexadecimal digits");
    digits.push_back(c);
  }
  if (digits.size() != 1024) Refuse(field.path, "expected 1024 hexadecimal digits (512 bytes)");
  Block reply{};
  for (std::size_t i = 0; i < reply.size(); ++i)
    reply[i] = static_cast<std::uint8_t>(HexDigit(digits[2 * i]) << 4 | HexDigit(digits[2 * i + 1]));
  return reply;
}

void ParseDevice(ObjectReader& drive, DriveConfig& config) {
  if (auto device = drive.Object("device")) {
    const std::pair<std::string_view, std::string DeviceStrings::*> texts[] = {
        {"vendor", &DeviceStrings::vendor}, {"product", &DeviceStrings::product},
        {"revision", &DeviceStrings::revision}, {"serial", &DeviceStrings::serial}};
    for (const auto& [name, member] : texts)
      if (const auto field = device->Find(name)) config.strings.*member = ByteString(*field);
    config.strings.removable = device->Boolean("removable", false);
    device->RejectUnknownFields();
  }
  const auto descriptor = BuildDeviceDescriptor(config.strings);
  if (!descriptor) Refuse(drive.PathOf("device"), "the strings do not fit in the 512-byte reply");
  config.deviceReply = descriptor->bytes;
  config.deviceReplySize = descriptor->size;
  if (const auto hex = drive.Find("device_reply_hex")) {
    config.deviceReply = ParseReplyHex(*hex);
    config.deviceReplySize = static_cast<std::uint32_t>(config.deviceReply.size());
  }
}

// `smart_version` / `inquiry`: absent -> the default, null -> refused, an object -> its one byte.
std::optional<std::uint8_t> ParseByteObject(ObjectReader& drive, std::string_view key, std::string_view member,
                                            std::uint8_t fallback) {
  const auto field = drive.Find(key);
  if (!field) return fallback;
  if (field->value->is_null()) return std::nullopt;
  ObjectReader object(*field);
  const auto value = U8(object.Integer(member, fallback, 0, 255));
  object.RejectUnknownFields();
  return value;
}

std::optional<Block> ReadBlockFile(ObjectReader& drive, std::string_view key,
                                   const std::filesystem::path& baseDirectory) {
  const auto name = drive.OptionalString(key);
  if (!name) return std::nullopt;
  const std::filesystem::path path = ResolvePath(baseDirectory, *name);
  RequireRegularFile(drive.PathOf(key), path, false);
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
  if (!sizeError && size != 512)
    Refuse(drive.PathOf(key), path.string() + " holds " + std::to_string(size) + " bytes, expected 512");
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in) Refuse(drive.PathOf(key), "cannot read " + path.string());
  if (bytes.size() != 512)
    Refuse(drive.PathOf(key), path.string() + " holds " + std::to_string(bytes.size()) + " bytes, expected 512");
  Block block{};
  std::copy(bytes.begin(), bytes.end(), block.begin());
  return block;
}

void ApplyIdentifyWords(ObjectReader& drive, DriveConfig& config) {
  const auto words = drive.Entries("identify_words");
  if (!drive.Find("identify_words")) return;
  Block block = config.identify.value_or(Block{});
  for (const auto& [key, field] : words) {
    const bool decimal = !key.empty() && key.size() <= 3 && key.find_first_not_of("0123456789") == std::string::npos;
    if (!decimal || std::stoi(key) > 255) Refuse(field.path, "expected a word index from 0 to 255 as the name");
    const auto word = static_cast<std::size_t>(std::stoi(key));
    if (field.value->is_string()) {
      if (!SetIdentifyText(block, word, ByteString(field))) Refuse(field.path, "the text runs past word 255");
    } else if (field.value->is_number_integer()) {
      SetIdentifyWord(block, word, static_cast<std::uint16_t>(AsInteger(field, 0, 0xFFFF)));
    } else {
      Refuse(field.path, "expected an integer or a string");
    }
  }
  config.identify = block;
}

SmartAttribute ParseAttribute(const Field& field) {
  ObjectReader record(field);
  SmartAttribute attribute;
  if (!record.Find("id")) Refuse(record.PathOf("id"), "expected the attribute id");
  attribute.id = U8(record.Integer("id", 0, 0, 255));
  attribute.flags = static_cast<std::uint16_t>(record.Integer("flags", 0, 0, 0xFFFF));
  attribute.current = U8(record.Integer("current", attribute.current, 0, 255));
  attribute.worst = U8(record.Integer("worst", attribute.current, 0, 255));
  attribute.raw = static_cast<std::uint64_t>(record.Integer("raw", 0, 0, 0xFFFF'FFFF'FFFF));
  record.RejectUnknownFields();
  return attribute;
}

void ApplySmartAttributes(ObjectReader& drive, DriveConfig& config) {
  const std::vector<Field> records = drive.Items("smart_attributes");
  if (!drive.Find("smart_attributes")) return;
  if (records.size() > SmartAttributeSlots) Refuse(drive.PathOf("smart_attributes"), "expected at most 30 attributes");
  std::vector<SmartAttribute> attributes;
  for (const Field& record : records) attributes.push_back(ParseAttribute(record));
  Block block = config.smart.value_or(Block{});
  LaySmartAttributes(block, attributes);
  config.smart = block;
}

void ParseBlocks(ObjectReader& drive, DriveConfig& config, const std::filesystem::path& baseDirectory) {
  config.identify = ReadBlockFile(drive, "identify", baseDirectory);
  config.smart = ReadBlockFile(drive, "smart", baseDirectory);
  ApplyIdentifyWords(drive, config);
  ApplySmartAttributes(drive, config);
}

// A fault is a write fault (from, to, write_error: overlapping writes fail, with 1117 unless
// write_error says otherwise), a read fault (from, to, read_error: overlapping reads fail with that
// code; without write_error such a range fails reads only) or a seek fault (seek_error_at, with
// seek_error, default 87), or a combination.
void ParseFault(const Field& field, DriveConfig& config) {
  ObjectReader fault(field);
  const auto from = fault.OptionalInteger("from", 0, MaxI64);
  const auto to = fault.OptionalInteger("to", 0, MaxI64);
  const auto writeError = fault.OptionalInteger("write_error", 0, MaxU32);
  const auto seekAt = fault.OptionalInteger("seek_error_at", 0, MaxI64);
  const auto seekError = fault.OptionalInteger("seek_error", 0, MaxU32);
  const auto readError = fault.OptionalInteger("read_error", 0, MaxU32);
  fault.RejectUnknownFields();
  if (seekError && !seekAt) Refuse(fault.PathOf("seek_error"), "needs seek_error_at");
  if (!from && !to && !writeError && !seekAt && !readError)
    Refuse(fault.Path(), "expected from, to or write_error (a write fault) or seek_error_at (a seek fault)");
  if (to && *to <= from.value_or(0)) Refuse(fault.PathOf("to"), "expected a position after from");
  if (readError) config.readFaults.push_back(ReadFault{from.value_or(0), to, U32(*readError)});
  if (writeError || ((from || to) && !readError))
    config.writeFaults.push_back(WriteFault{from.value_or(0), to, U32(writeError.value_or(1117))});
  if (seekAt) config.seekFaults.push_back(SeekFault{*seekAt, U32(seekError.value_or(87))});
}

void ParseImage(ObjectReader& drive, DriveConfig& config, const std::filesystem::path& baseDirectory) {
  const auto name = drive.OptionalString("image");
  if (!name) return;
  if (name->empty()) Refuse(drive.PathOf("image"), "expected a file name");
  config.image = ResolvePath(baseDirectory, *name);
  RequireRegularFile(drive.PathOf("image"), *config.image, true);
  const std::filesystem::path folder = config.image->parent_path();
  std::error_code ignored;
  if (!folder.empty() && !std::filesystem::is_directory(folder, ignored))
    Refuse(drive.PathOf("image"), "the folder " + folder.string() + " does not exist");
}

void ParseLostWrites(ObjectReader& drive, DriveConfig& config) {
  for (const Field& field : drive.Items("lost_writes")) {
    ObjectReader range(field);
    const std::int64_t from = range.Integer("from", 0, 0, MaxI64);
    const auto to = range.OptionalInteger("to", 0, MaxI64);
    range.RejectUnknownFields();
    if (!to || *to <= from) Refuse(range.PathOf("to"), "expected a position after from");
    config.lostWrites.push_back(LostWrites{from, *to});
  }
}

void ParseOpeners(ObjectReader& drive, DriveConfig& config) {
  for (const Field& field : drive.Items("openers")) {
    ObjectReader opener(field);
    const std::string program = opener.String("program", "");
    const auto pid = static_cast<std::uint32_t>(opener.Integer("pid", 0, 1, MaxU32));
    opener.RejectUnknownFields();
    config.openers.push_back(DiskOpener{FromUtf8(program), pid});
  }
}

}  // namespace

DriveConfig ParseDrive(const Field& field, std::size_t index, const std::filesystem::path& baseDirectory) {
  ObjectReader drive(field);
  DriveConfig config;
  config.number = U32(drive.Integer("number", static_cast<std::int64_t>(index), 0, MaxU32));
  config.node = FromUtf8(drive.String("node", ""));
  for (const auto& [name, member] : DriveFaults) config.*member = ReadRequestFault(drive, name);
  config.sectorSize = U32(drive.Integer("sector_size", config.sectorSize, 0, MaxU32));
  config.lengthBytes = drive.Integer("length", config.lengthBytes, 0, MaxI64);
  // An NVMe drive's adapter reports the NVMe bus unless the file says otherwise.
  if (drive.Find("nvme")) config.busType = BusTypeNvme;
  ParseAdapter(drive, config);
  ParseDevice(drive, config);
  config.smartVersionMap = ParseByteObject(drive, "smart_version", "device_map", 1);
  config.inquiryTargetId = ParseByteObject(drive, "inquiry", "byte13", 0);
  ParseBlocks(drive, config, baseDirectory);
  config.nvme = ParseNvme(drive, baseDirectory);
  config.ataErase = ParseAtaErase(drive);
  if (config.ataErase && !config.identify) Refuse(drive.PathOf("ata_erase"), "needs the drive's identify block");
  config.erase = ParseEraseBehaviour(drive);
  config.miniportBytes = U32(drive.Integer("miniport_bytes", config.miniportBytes, 0, MaxU32));
  config.smartRcvBytes = U32(drive.Integer("smart_rcv_bytes", config.smartRcvBytes, 0, MaxU32));
  config.smartSendBytes = U32(drive.Integer("smart_send_bytes", config.smartSendBytes, 0, MaxU32));
  ParseImage(drive, config, baseDirectory);
  for (const Field& fault : drive.Items("faults")) ParseFault(fault, config);
  config.writeDelayUsPerMiB = drive.Integer("write_delay_us_per_mib", 0, 0, 1'000'000'000);
  config.claimError = U32(drive.Integer("claim_error", 0, 0, MaxU32));
  ParseLostWrites(drive, config);
  ParseOpeners(drive, config);
  config.readOnly = drive.Boolean("read_only", false);
  config.wrapsAt = drive.OptionalInteger("wraps_at", 1, MaxI64);
  drive.RejectUnknownFields();
  return config;
}

}  // namespace trelvane::emulated
