#include "ata/ata_erase_capabilities.h"

#include <array>

#include "os/bytes.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

// IDENTIFY DEVICE words read here (ACS-3):
//    59  bit 15 BLOCK ERASE EXT, 14 OVERWRITE EXT, 13 CRYPTO SCRAMBLE EXT supported, 12 the
//        SANITIZE feature set supported, 10 SANITIZE ANTIFREEZE LOCK EXT supported
//    69  bit 4 the drive encrypts all user data
//    82  bit 1 Security feature set supported    85  bit 1 security enabled (82-87 hold nothing
//        when they read 0000h or FFFFh)
//    89  normal, 90 enhanced SECURITY ERASE UNIT time: bit 15 clear: bits 7:0 in 2-minute units,
//        0 not reported, 255 longer than 508 minutes; bit 15 set: bits 14:0 in 2-minute units,
//        0 not reported, 32767 longer than 65532 minutes
//   128  security status: bit 0 supported, 1 enabled, 2 locked, 3 frozen, 4 count expired,
//        5 enhanced erase supported, 8 master password capability maximum
//   217  nominal media rotation rate: 0 not reported, 1 non-rotating, 0401h-FFFEh rpm
bool WordValid(std::uint16_t word) { return word != 0x0000 && word != 0xFFFF; }

AtaEraseTime DecodeEraseTime(std::uint16_t word) {
  const bool extended = Bit(word, 15);
  const std::uint32_t value = extended ? word & 0x7FFFu : word & 0xFFu;
  const std::uint32_t longest = extended ? 0x7FFFu : 0xFFu;
  if (value == 0) return {};
  if (value == longest) return {AtaEraseTime::Kind::LongerThan, 2 * (longest - 1)};
  return {AtaEraseTime::Kind::Minutes, 2 * value};
}

constexpr std::uint32_t UnreportedEraseSeconds = 24 * 60 * 60;

// SANITIZE STATUS EXT, normal outputs: COUNT bit 15 SANITIZE OPERATION COMPLETED WITHOUT ERROR,
// 14 SANITIZE IN PROGRESS, 13 SANITIZE FROZEN, 12 SANITIZE ANTIFREEZE; LBA 15:0 SANITIZE PROGRESS
// INDICATION. Error outputs: ERROR bit 2 ABORT, LBA 7:0 the sanitize error reason.
constexpr std::uint8_t StatusErr = 0x01;
constexpr std::uint8_t ErrorAbort = 0x04;

struct ErrorBitText {
  std::uint8_t bit;
  const char16_t* text;
};
// The error register bits these commands can set, most telling first.
constexpr std::array<ErrorBitText, 4> ErrorBits = {{
    {0x80, u"ошибка передачи данных по интерфейсу (ICRC)"},
    {0x40, u"неисправимая ошибка данных (UNC)"},
    {0x10, u"сектор не найден (IDNF)"},
    {0x04, u"накопитель отверг команду (ABRT)"},
}};

constexpr std::array<const char16_t*, 5> SanitizeErrorTexts = {{
    u"накопитель отверг команду Sanitize, не назвав причины",
    u"Sanitize не удался: часть секторов осталась не стертой",
    u"накопитель не поддерживает эту команду Sanitize",
    u"Sanitize заблокирован до перезапуска накопителя (frozen)",
    u"Sanitize нельзя заблокировать: включен запрет блокировки (antifreeze)",
}};

// The transport's failure, or the drive's error register; nothing when neither says anything.
std::u16string RegisterText(const AtaResult& result) {
  if (!result.registersValid)
    return u"команда не дошла до накопителя (системная ошибка " + DecimalUnsigned(result.systemError) + u")";
  for (const ErrorBitText& row : ErrorBits)
    if ((result.error & row.bit) != 0) return row.text;
  return u"накопитель сообщил об ошибке (состояние " + HexByte(result.status) + u"h, ошибка " +
         HexByte(result.error) + u"h)";
}

bool Aborted(const AtaResult& result) {
  return result.registersValid && (result.status & StatusErr) != 0 && (result.error & ErrorAbort) != 0;
}

}  // namespace

AtaEraseCapabilities DecodeEraseCapabilities(std::span<const std::uint8_t, 512> identify) {
  AtaEraseCapabilities caps;
  const std::uint16_t word59 = Word(identify, 59);
  caps.sanitizeSupported = Bit(word59, 12);
  caps.cryptoScramble = caps.sanitizeSupported && Bit(word59, 13);
  caps.overwrite = caps.sanitizeSupported && Bit(word59, 14);
  caps.blockErase = caps.sanitizeSupported && Bit(word59, 15);
  caps.antifreezeSupported = caps.sanitizeSupported && Bit(word59, 10);
  caps.encryptsAllUserData = WordValid(Word(identify, 69)) && Bit(Word(identify, 69), 4);

  const std::uint16_t word82 = Word(identify, 82), word85 = Word(identify, 85), word128 = Word(identify, 128);
  AtaSecurityState& security = caps.security;
  security.supported = WordValid(word82) && Bit(word82, 1);
  if (security.supported) {
    security.enabled = WordValid(word85) && Bit(word85, 1);
    security.locked = Bit(word128, 2);
    security.frozen = Bit(word128, 3);
    security.countExpired = Bit(word128, 4);
    security.enhancedEraseSupported = Bit(word128, 5);
    security.maximumLevel = Bit(word128, 8);
    caps.normalEraseTime = DecodeEraseTime(Word(identify, 89));
    caps.enhancedEraseTime = DecodeEraseTime(Word(identify, 90));
  }
  caps.rotationRate = Word(identify, 217) == 0xFFFF ? 0 : Word(identify, 217);
  return caps;
}

std::uint32_t SecurityEraseTimeoutSeconds(const AtaEraseTime& time) {
  const std::uint32_t named = time.minutes * 60 * 3 / 2;
  if (time.kind == AtaEraseTime::Kind::Minutes) return named;
  return time.kind == AtaEraseTime::Kind::LongerThan && named > UnreportedEraseSeconds ? named
                                                                                       : UnreportedEraseSeconds;
}

AtaSanitizeStatus DecodeSanitizeStatus(const AtaResult& result) {
  AtaSanitizeStatus status;
  status.completedWithoutError = Bit(result.count, 15);
  status.inProgress = Bit(result.count, 14);
  status.frozen = Bit(result.count, 13);
  status.antifreeze = Bit(result.count, 12);
  status.progress = static_cast<std::uint16_t>(result.lba & 0xFFFF);
  return status;
}

bool SecurityRequestRefusedBySystem(const AtaResult& result) {
  return !result.registersValid && result.systemError == ErrorCode::InvalidFunction;
}

std::u16string SanitizeFailureText(const AtaResult& result) {
  if (!Aborted(result)) return RegisterText(result);
  const std::size_t reason = result.lba & 0xFF;
  if (reason < SanitizeErrorTexts.size()) return SanitizeErrorTexts[reason];
  return u"накопитель отверг команду Sanitize (причина " + HexByte(static_cast<std::uint8_t>(reason)) + u"h)";
}

std::optional<std::u16string> SecurityHindrance(const AtaSecurityState& state) {
  if (state.frozen)
    return u"команды ATA Security заблокированы до перезапуска накопителя (frozen): переведите компьютер "
           u"в спящий режим и разбудите его или переподключите накопитель";
  if (state.countExpired) return u"исчерпаны попытки ввода пароля ATA Security: выключите и включите накопитель";
  if (state.locked) return u"накопитель заблокирован паролем ATA Security: сначала разблокируйте его";
  return std::nullopt;
}

std::u16string SecurityFailureText(const AtaResult& result, const AtaSecurityState& before) {
  if (SecurityRequestRefusedBySystem(result))
    return u"система не пропускает команды ATA Security к накопителю (Windows пропускает их только в среде "
           u"предустановки Windows PE)";
  if (!Aborted(result)) return RegisterText(result);
  if (!before.supported) return u"накопитель не поддерживает ATA Security";
  if (std::optional<std::u16string> hindrance = SecurityHindrance(before)) return *hindrance;
  return u"накопитель отверг команду ATA Security: неверный пароль или порядок команд";
}

namespace {

std::u16string YesNo(bool value) { return value ? u"да" : u"нет"; }

std::u16string EraseTimeText(const AtaEraseTime& time) {
  if (time.kind == AtaEraseTime::Kind::Minutes) return DecimalUnsigned(time.minutes) + u" мин";
  if (time.kind == AtaEraseTime::Kind::LongerThan) return u"более " + DecimalUnsigned(time.minutes) + u" мин";
  return u"не сообщается";
}

std::u16string RotationText(std::uint16_t rate) {
  if (rate == 1) return u"твердотельный накопитель";
  if (rate >= 0x0401 && rate <= 0xFFFE) return DecimalUnsigned(rate) + u" об/мин";
  return u"не сообщается";
}

}  // namespace

std::vector<std::u16string> AtaEraseDetails(const AtaEraseCapabilities& caps) {
  const AtaSecurityState& security = caps.security;
  return {
      u"СТИРАНИЕ:",
      u"SANITIZE: " + YesNo(caps.sanitizeSupported),
      u"SANITIZE: криптографическое стирание (CRYPTO SCRAMBLE): " + YesNo(caps.cryptoScramble),
      u"SANITIZE: блочное стирание (BLOCK ERASE): " + YesNo(caps.blockErase),
      u"SANITIZE: перезапись (OVERWRITE): " + YesNo(caps.overwrite),
      u"ATA Security: " + YesNo(security.supported),
      u"ATA Security, расширенное стирание: " + YesNo(security.enhancedEraseSupported),
      u"ATA Security, пароль установлен: " + YesNo(security.enabled),
      u"ATA Security, заблокирован: " + YesNo(security.locked),
      u"ATA Security, заморожен до перезапуска (frozen): " + YesNo(security.frozen),
      u"Время обычного стирания (ATA Security): " + EraseTimeText(caps.normalEraseTime),
      u"Время расширенного стирания (ATA Security): " + EraseTimeText(caps.enhancedEraseTime),
      u"Шифрование всех данных пользователя: " + YesNo(caps.encryptsAllUserData),
      u"Скорость вращения: " + RotationText(caps.rotationRate),
  };
}

}  // namespace trelvane
