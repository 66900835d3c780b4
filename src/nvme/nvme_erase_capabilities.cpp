#include "nvme/nvme_erase_capabilities.h"

#include <array>

#include "os/bytes.h"
#include "text/u16.h"

namespace trelvane {

namespace {

// Sanitize Status log (512 bytes):
//    0  SPROG (u16)   fraction done, numerator over 65536
//    2  SSTAT (u16)   bits 2:0 status, bits 7:3 overwrite passes completed, bit 8 global data erased
//    4  SCDW10 (u32)  command dword 10 of the last sanitize
//    8  ETO      12  ETBE      16  ETCE       estimated seconds: overwrite, block erase, crypto erase
//   20  ETOND    24  ETBEND    28  ETCEND     the same with no-deallocate; FFFFFFFFh: no estimate
std::optional<std::uint32_t> Estimate(std::span<const std::uint8_t> log, std::size_t offset) {
  const std::uint32_t value = ReadU32LE(log, offset);
  if (value == 0xFFFFFFFFu) return std::nullopt;
  return value;
}

struct StatusText {
  std::uint8_t type;  // SCT
  std::uint8_t code;  // SC
  const char16_t* text;
};
// Generic (type 0) and command-specific (type 1) codes of Sanitize, Format NVM and Get Log Page.
constexpr std::array<StatusText, 14> StatusTexts = {{
    {0, 0x01, u"контроллер не поддерживает эту команду"},
    {0, 0x02, u"недопустимое значение поля в команде"},
    {0, 0x04, u"ошибка передачи данных"},
    {0, 0x06, u"внутренняя ошибка контроллера"},
    {0, 0x07, u"команда прервана по запросу"},
    {0, 0x0B, u"недопустимое пространство имён или формат"},
    {0, 0x0C, u"нарушен порядок команд"},
    {0, 0x1C, u"Sanitize не удался"},
    {0, 0x1D, u"Sanitize уже выполняется"},
    {0, 0x20, u"пространство имён защищено от записи"},
    {0, 0x21, u"выполнение команды прервано"},
    {0, 0x23, u"команда запрещена блокировкой команд контроллера"},
    {1, 0x0A, u"недопустимый формат LBA"},
    {1, 0x23, u"Sanitize запрещен, пока включена область постоянной памяти (PMR)"},
}};
constexpr std::uint8_t MediaErrors = 2;

}  // namespace

NvmeEraseCapabilities EraseCapabilitiesOf(const NvmeController& controller,
                                          std::optional<std::uint32_t> activeNamespaces) {
  NvmeEraseCapabilities caps;
  const std::uint32_t sanicap = controller.sanitizeCapabilities;
  caps.sanitizeCrypto = Bit(sanicap, 0);
  caps.sanitizeBlock = Bit(sanicap, 1);
  caps.sanitizeOverwrite = Bit(sanicap, 2);
  caps.noDeallocateInhibited = Bit(sanicap, 29);
  caps.noDeallocateModifies = static_cast<std::uint8_t>(sanicap >> 30);
  caps.formatNvm = Bit(controller.adminCommands, 1);
  caps.formatAppliesToAll = Bit(controller.formatAttributes, 0);
  caps.secureEraseAppliesToAll = Bit(controller.formatAttributes, 1);
  caps.formatCryptoErase = Bit(controller.formatAttributes, 2);
  caps.highestNamespaceId = controller.highestNamespaceId;
  caps.activeNamespaces = activeNamespaces;
  return caps;
}

NvmeSanitizeLog DecodeSanitizeLog(std::span<const std::uint8_t, 512> log) {
  NvmeSanitizeLog decoded;
  decoded.progress = ReadU16LE(log, 0);
  const std::uint16_t sstat = ReadU16LE(log, 2);
  decoded.state = static_cast<std::uint8_t>(sstat & 0x7);
  decoded.overwritePassesDone = static_cast<std::uint8_t>((sstat >> 3) & 0x1F);
  decoded.globalDataErased = Bit(sstat, 8);
  decoded.commandDword10 = ReadU32LE(log, 4);
  decoded.overwriteSeconds = Estimate(log, 8);
  decoded.blockEraseSeconds = Estimate(log, 12);
  decoded.cryptoEraseSeconds = Estimate(log, 16);
  decoded.overwriteNoDeallocateSeconds = Estimate(log, 20);
  decoded.blockEraseNoDeallocateSeconds = Estimate(log, 24);
  decoded.cryptoEraseNoDeallocateSeconds = Estimate(log, 28);
  return decoded;
}

std::u16string NvmeStatusText(std::uint16_t status, std::uint32_t systemError) {
  const std::uint8_t type = static_cast<std::uint8_t>((status >> 8) & 0x7);
  const std::uint8_t code = static_cast<std::uint8_t>(status & 0xFF);
  if (status == 0 && systemError != 0)
    return u"команда не дошла до контроллера (системная ошибка " + DecimalUnsigned(systemError) + u")";
  for (const StatusText& row : StatusTexts)
    if (row.type == type && row.code == code) return row.text;
  if (type == MediaErrors) return u"ошибка носителя (код " + HexByte(code) + u"h)";
  return u"контроллер вернул ошибку (тип " + HexByte(type) + u"h, код " + HexByte(code) + u"h)";
}

}  // namespace trelvane
