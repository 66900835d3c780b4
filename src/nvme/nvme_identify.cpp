#include "nvme/nvme_identify.h"

#include <algorithm>
#include <array>

#include "os/bytes.h"
#include "text/device_text.h"
#include "text/u16.h"
#include "text/wide_decimal.h"

namespace trelvane {

namespace {

using Lines = std::vector<std::u16string>;

// Identify Controller (4096 bytes), the fields shown:
//     4  SN, 20 ASCII     24  MN, 40 ASCII     64  FR, 8 ASCII    (blank-padded, not swapped; a
//        zero byte, which a well-made controller never sends, ends the text)
//    73  IEEE OUI, 3 bytes, least significant first
//    78  CNTLID (u16)     80  VER (u32)
//   256  OACS (u16): bit 1 Format NVM
//   328  SANICAP (u32): bit 0 crypto erase, bit 1 block erase, bit 2 overwrite
//   516  NN (u32): the highest namespace id allowed; how many exist, only the active list says
//   520  ONCS (u16): bit 2 Dataset Management, bit 3 Write Zeroes
//   524  FNA: bit 0 format, bit 1 secure erase apply to all namespaces, bit 2 crypto erase in format
//   525  VWC: bit 0 a volatile write cache is present
std::u16string AsciiField(std::span<const std::uint8_t> data, std::size_t offset, std::size_t length) {
  std::u16string text;
  for (std::size_t i = 0; i < length && data[offset + i] != 0; ++i) text += static_cast<char16_t>(data[offset + i]);
  return ShownDeviceText(Trim(text));
}

// Identify Namespace (4096 bytes):
//     0  NSZE (u64)   8  NCAP (u64)   16  NUSE (u64)
//    25  NLBAF, the number of formats minus one
//    26  FLBAS: bits 3-0 the format in use, bits 6-5 its upper two bits when there are more than 16
//   128  LBAF[0..63], 4 bytes each: MS (u16) metadata bytes, LBADS (log2 of the block), RP (bits 1-0)
constexpr std::size_t FormatTable = 128;
constexpr std::size_t MaximumFormats = 64;
// A block of 512 bytes to 64 KiB; any other LBADS (0 included: a format not offered) is no size.
constexpr unsigned SmallestBlockShift = 9;
constexpr unsigned LargestBlockShift = 16;
constexpr std::size_t NamespaceIdsInList = 1024;

std::u16string InvalidValue(std::uint64_t value) { return u"недопустимое значение (" + DecimalUnsigned(value) + u")"; }

bool ValidBlockShift(unsigned shift) { return shift >= SmallestBlockShift && shift <= LargestBlockShift; }

const char16_t* Choose(bool condition, const char16_t* whenTrue, const char16_t* whenFalse) {
  return condition ? whenTrue : whenFalse;
}

// `value` × 2^shift, exactly.
std::u16string ShiftedDecimal(std::uint64_t value, unsigned shift) {
  std::vector<std::uint8_t> bytes(8 + shift / 8 + 1, 0);
  for (std::size_t i = 0; i < 8; ++i) {
    const unsigned part = static_cast<unsigned>((value >> (8 * i)) & 0xFF) << (shift % 8);
    bytes[shift / 8 + i] |= static_cast<std::uint8_t>(part);
    bytes[shift / 8 + i + 1] |= static_cast<std::uint8_t>(part >> 8);
  }
  return WideDecimal(bytes);
}

std::u16string VersionText(std::uint32_t version) {
  if (version == 0) return u"NVMe (версия не указана)";
  return u"NVMe " + Decimal(version >> 16) + u"." + Decimal((version >> 8) & 0xFF) + u"." + Decimal(version & 0xFF);
}

std::u16string OuiText(std::uint32_t oui) {
  return HexByte(static_cast<std::uint8_t>(oui >> 16)) + HexByte(static_cast<std::uint8_t>(oui >> 8)) +
         HexByte(static_cast<std::uint8_t>(oui));
}

void AppendIdentity(const NvmeController& controller, std::optional<std::uint32_t> activeNamespaces, Lines& lines) {
  lines.push_back(u"Модель: " + controller.model);
  lines.push_back(u"Ревизия прошивки: " + controller.firmware);
  lines.push_back(u"Серийный номер: " + controller.serial);
  lines.push_back(u"Интерфейс: " + VersionText(controller.version));
  lines.push_back(u"IEEE OUI: " + OuiText(controller.ieeeOui));
  lines.push_back(u"Идентификатор контроллера: " + Decimal(controller.controllerId));
  if (activeNamespaces)
    lines.push_back(u"Число пространств имён: " + DecimalUnsigned(*activeNamespaces));
  else
    lines.push_back(u"Наибольший номер пространства имён: " + DecimalUnsigned(controller.highestNamespaceId));
  lines.push_back(u" ");
}

constexpr std::array<const char16_t*, 4> PerformanceNames = {u"наилучшая", u"высокая", u"хорошая", u"сниженная"};

std::u16string BlockSizeText(unsigned shift) {
  return ValidBlockShift(shift) ? ShiftedDecimal(1, shift) + u" байт" : InvalidValue(shift);
}

std::u16string FormatLine(std::size_t index, const NvmeLbaFormat& format, bool inUse) {
  std::u16string line = u"  " + Decimal(static_cast<std::int64_t>(index)) + u": блок " +
                        BlockSizeText(format.dataSizeShift) + u", метаданные " +
                        Decimal(format.metadataBytes) + u" байт, производительность " +
                        PerformanceNames[format.performance & 3];
  if (inUse) line += u" (используется)";
  return line;
}

// The bytes only when the block's size is known.
std::u16string BlocksLine(const char16_t* label, std::uint64_t blocks, const NvmeLbaFormat* inUse) {
  std::u16string line = label + DecimalUnsigned(blocks);
  if (inUse != nullptr && ValidBlockShift(inUse->dataSizeShift))
    line += u" (" + ShiftedDecimal(blocks, inUse->dataSizeShift) + u" байт)";
  return line;
}

void AppendNamespace(const NvmeNamespace& space, Lines& lines) {
  // FLBAS may name a format past the table: then neither the block nor the metadata size is known.
  const NvmeLbaFormat* inUse = space.formatInUse < space.formats.size() ? &space.formats[space.formatInUse] : nullptr;
  lines.push_back(u"ПРОСТРАНСТВО ИМЁН:");
  lines.push_back(BlocksLine(u"Размер, блоков: ", space.sizeBlocks, inUse));
  lines.push_back(BlocksLine(u"Ёмкость, блоков: ", space.capacityBlocks, inUse));
  lines.push_back(BlocksLine(u"Занято, блоков: ", space.utilizationBlocks, inUse));
  const std::u16string badIndex = InvalidValue(space.formatInUse);
  lines.push_back(u"Размер блока: " + (inUse != nullptr ? BlockSizeText(inUse->dataSizeShift) : badIndex));
  lines.push_back(u"Размер метаданных: " +
                  (inUse != nullptr ? Decimal(inUse->metadataBytes) + u" байт" : badIndex));
  lines.push_back(u"Поддерживаемые форматы LBA:");
  for (std::size_t i = 0; i < space.formats.size(); ++i)
    lines.push_back(FormatLine(i, space.formats[i], i == space.formatInUse));
  lines.push_back(u" ");
}

// The erase-related capabilities: the field, its bit, and the line's text.
struct CapabilityLine {
  std::uint32_t (*field)(const NvmeController&);
  unsigned bit;
  const char16_t* text;
};
constexpr std::array<CapabilityLine, 9> CapabilityLines = {{
    {[](const NvmeController& c) -> std::uint32_t { return c.adminCommands; }, 1, u"Format NVM"},
    {[](const NvmeController& c) -> std::uint32_t { return c.formatAttributes; }, 0,
     u"Format NVM на все пространства имён сразу"},
    {[](const NvmeController& c) -> std::uint32_t { return c.adminCommands; }, 1,
     u"Безопасное стирание в Format NVM (данные пользователя)"},
    {[](const NvmeController& c) -> std::uint32_t { return c.formatAttributes; }, 2,
     u"Безопасное стирание в Format NVM (криптографическое)"},
    {[](const NvmeController& c) -> std::uint32_t { return c.formatAttributes; }, 1,
     u"Безопасное стирание на все пространства имён сразу"},
    {[](const NvmeController& c) -> std::uint32_t { return c.sanitizeCapabilities; }, 1,
     u"Sanitize: блочное стирание"},
    {[](const NvmeController& c) -> std::uint32_t { return c.sanitizeCapabilities; }, 0,
     u"Sanitize: криптографическое стирание"},
    {[](const NvmeController& c) -> std::uint32_t { return c.sanitizeCapabilities; }, 2, u"Sanitize: перезапись"},
    {[](const NvmeController& c) -> std::uint32_t { return c.nvmCommands; }, 3, u"Write Zeroes"},
}};

void AppendCapabilities(const NvmeController& controller, Lines& lines) {
  lines.push_back(u"ХАРАКТЕРИСТИКИ:");
  lines.push_back(Choose(controller.volatileWriteCache, u"Энергозависимый кэш записи есть",
                         u"Энергозависимого кэша записи нет"));
  lines.push_back(std::u16string(u"Dataset Management (освобождение блоков) ") +
                  Choose(Bit(controller.nvmCommands, 2), u"поддерживается", u"не поддерживается"));
  lines.push_back(u" ");
  lines.push_back(u"СТИРАНИЕ:");
  for (const CapabilityLine& capability : CapabilityLines)
    lines.push_back(std::u16string(capability.text) + u": " +
                    Choose(Bit(capability.field(controller), capability.bit), u"да", u"нет"));
}

}  // namespace

NvmeController DecodeIdentifyController(std::span<const std::uint8_t, 4096> data) {
  NvmeController controller;
  controller.serial = AsciiField(data, 4, 20);
  controller.model = AsciiField(data, 24, 40);
  controller.firmware = AsciiField(data, 64, 8);
  controller.ieeeOui = std::uint32_t{data[73]} | std::uint32_t{data[74]} << 8 | std::uint32_t{data[75]} << 16;
  controller.controllerId = ReadU16LE(data, 78);
  controller.version = ReadU32LE(data, 80);
  controller.adminCommands = ReadU16LE(data, 256);
  controller.sanitizeCapabilities = ReadU32LE(data, 328);
  controller.highestNamespaceId = ReadU32LE(data, 516);
  controller.nvmCommands = ReadU16LE(data, 520);
  controller.formatAttributes = data[524];
  controller.volatileWriteCache = Bit(data[525], 0);
  return controller;
}

NvmeNamespace DecodeIdentifyNamespace(std::span<const std::uint8_t, 4096> data) {
  NvmeNamespace space;
  space.sizeBlocks = ReadU64LE(data, 0);
  space.capacityBlocks = ReadU64LE(data, 8);
  space.utilizationBlocks = ReadU64LE(data, 16);
  const std::size_t formatCount = std::min<std::size_t>(std::size_t{data[25]} + 1, MaximumFormats);
  const std::uint8_t flbas = data[26];
  space.formatInUse = std::size_t{flbas & 0x0Fu} | std::size_t{(flbas >> 5) & 0x03u} << 4;
  space.metadataExtended = (flbas & 0x10u) != 0;
  space.protectionType = static_cast<std::uint8_t>(data[29] & 0x07u);
  space.protectionFirst = (data[29] & 0x08u) != 0;
  for (std::size_t i = 0; i < formatCount; ++i) {
    const std::size_t entry = FormatTable + 4 * i;
    space.formats.push_back({ReadU16LE(data, entry), data[entry + 2], static_cast<std::uint8_t>(data[entry + 3] & 3)});
  }
  return space;
}

std::uint32_t CountActiveNamespaces(std::span<const std::uint8_t, 4096> list) {
  std::uint32_t count = 0;
  while (count < NamespaceIdsInList && ReadU32LE(list, 4 * std::size_t{count}) != 0) ++count;
  return count;
}

std::vector<std::u16string> NvmeDetailsBody(const NvmeController& controller, const NvmeNamespace& space,
                                            std::optional<std::uint32_t> activeNamespaces) {
  Lines lines;
  AppendIdentity(controller, activeNamespaces, lines);
  AppendNamespace(space, lines);
  AppendCapabilities(controller, lines);
  return lines;
}

}  // namespace trelvane
