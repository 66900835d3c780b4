#include "ata/drive_health.h"

#include <array>
#include <optional>

#include "ata/ata_transport.h"
#include "nvme/nvme_transport.h"
#include "os/bytes.h"
#include "os/win_constants.h"
#include "text/number_text.h"
#include "text/u16.h"
#include "text/wide_decimal.h"

namespace trelvane {

namespace {

// SMART READ DATA: attribute records of 12 bytes from byte 2 (id at 0, current value at 3, raw value
// at 5..10, least significant byte first), at most 30; byte 363 holds the self-test execution status
// in its upper four bits.
constexpr std::size_t FirstRecord = 2;
constexpr std::size_t RecordBytes = 12;
constexpr std::size_t MaximumRecords = 30;
constexpr std::size_t SelfTestStatusByte = 363;

// The attributes read. Their raw values are counted in the low 32 bits: some drives keep other
// figures in the upper two bytes of a counter (a limit, a worst value), which would read as millions.
enum AtaAttribute : std::uint8_t {
  Reallocated = 5,
  PowerOnHours = 9,
  ReportedUncorrectable = 187,
  AirflowTemperature = 190,
  Temperature = 194,
  Pending = 197,
  OfflineUncorrectable = 198,
};

// Self-test execution status 3 to 8: the last self-test ended on a fatal error or a failed element
// (electrical, servo, read, handling damage).
constexpr unsigned FirstFailedSelfTest = 3;
constexpr unsigned LastFailedSelfTest = 8;

// The counters that mean worn surface. Any sector at all counts: a drive that has had to set one aside,
// or cannot read one, has begun to fail, and a user about to erase it should know.
struct WearCounter {
  AtaAttribute id;
  const char16_t* what;
};
constexpr std::array<WearCounter, 4> WearCounters = {{
    {Reallocated, u"переназначенных секторов"},
    {Pending, u"ожидающих секторов"},
    {OfflineUncorrectable, u"неисправимых секторов"},
    {ReportedUncorrectable, u"неисправимых ошибок чтения"},
}};

std::optional<std::uint32_t> AtaRaw(std::span<const std::uint8_t, 512> smart, AtaAttribute id) {
  for (std::size_t index = 0; index < MaximumRecords; ++index) {
    const std::size_t record = FirstRecord + index * RecordBytes;
    if (smart[record] == 0) break;
    if (smart[record] == id) return ReadU32LE(smart, record + 5);
  }
  return std::nullopt;
}

std::u16string CountText(const std::optional<std::uint32_t>& value) {
  return value ? GroupDigits(*value) : std::u16string(u"нет данных");
}

// The drive temperature in degrees Celsius is the raw value's lowest byte; 0 is no reading.
std::u16string AtaTemperature(std::span<const std::uint8_t, 512> smart) {
  for (const AtaAttribute id : {Temperature, AirflowTemperature}) {
    const auto raw = AtaRaw(smart, id);
    if (raw && (*raw & 0xFF) != 0) return Decimal(*raw & 0xFF) + u" °C";
  }
  return u"нет данных";
}

void AddReason(std::u16string& reason, const std::u16string& part) {
  reason += (reason.empty() ? u"" : u", ") + part;
}

// NVMe Critical Warning bits 0-5, as the health log defines them.
constexpr std::array<const char16_t*, 6> CriticalWarnings = {
    u"запас ниже порога",
    u"температура вне допустимых пределов",
    u"надёжность снижена из-за ошибок носителя",
    u"носитель только для чтения",
    u"сбой резервирования энергозависимой памяти",
    u"постоянная область памяти только для чтения",
};

// The drive's own estimate of its life used: from 80 % it is worth knowing before a wipe, whatever
// the drive still says about itself.
constexpr std::uint8_t WornPercentageUsed = 80;

// The verdict only asks whether a 16-byte counter is zero.
bool WideIsZero(std::span<const std::uint8_t> counter) {
  for (const std::uint8_t byte : counter) {
    if (byte != 0) return false;
  }
  return true;
}

}  // namespace

DriveHealth AtaHealth(std::span<const std::uint8_t, 512> smart) {
  DriveHealth health;
  const unsigned selfTest = smart[SelfTestStatusByte] >> 4;
  if (selfTest >= FirstFailedSelfTest && selfTest <= LastFailedSelfTest) {
    health.verdict = HealthVerdict::Faulty;
    health.reason = u"последняя самопроверка накопителя завершилась ошибкой";
  }
  std::u16string wear;
  bool counted = false;  // the drive keeps at least one of the counters
  for (const WearCounter& counter : WearCounters) {
    const auto raw = AtaRaw(smart, counter.id);
    counted = counted || raw.has_value();
    if (raw && *raw != 0) AddReason(wear, std::u16string(counter.what) + u": " + GroupDigits(*raw));
  }
  if (health.verdict == HealthVerdict::Unknown && !counted) {
    // No counter is no evidence of health: the verdict stays "no data".
    health.reason = u"накопитель не ведёт счётчиков переназначенных, ожидающих и неисправимых секторов";
  } else if (health.verdict == HealthVerdict::Unknown) {
    health.verdict = wear.empty() ? HealthVerdict::Good : HealthVerdict::Worn;
    health.reason = wear.empty() ? u"переназначенных, ожидающих и неисправимых секторов нет" : wear;
  } else if (!wear.empty()) {
    AddReason(health.reason, wear);
  }
  health.figures = u"Температура: " + AtaTemperature(smart) + u"; часы работы: " +
                   CountText(AtaRaw(smart, PowerOnHours)) + u"; переназначенные сектора: " +
                   CountText(AtaRaw(smart, Reallocated)) + u"; ожидающие сектора: " + CountText(AtaRaw(smart, Pending));
  return health;
}

// Offsets of the SMART / Health Information log: 0 Critical Warning, 1 Composite Temperature (u16,
// kelvin), 3 Available Spare (%), 5 Percentage Used (%), 128 Power On Hours and 160 Media and Data
// Integrity Errors (u128 each).
DriveHealth NvmeHealth(std::span<const std::uint8_t, 512> log) {
  DriveHealth health;
  const std::uint8_t warning = log[0];
  const std::uint8_t used = log[5];
  const auto mediaErrors = log.subspan(160, 16);
  std::u16string reason;
  for (unsigned bit = 0; bit < CriticalWarnings.size(); ++bit) {
    if (Bit(warning, bit)) AddReason(reason, CriticalWarnings[bit]);
  }
  if (!reason.empty()) {
    health.verdict = HealthVerdict::Faulty;
    health.reason = u"критическое предупреждение: " + reason;
  } else {
    if (used >= WornPercentageUsed) AddReason(reason, u"израсходовано " + Decimal(used) + u" % ресурса");
    if (!WideIsZero(mediaErrors)) AddReason(reason, u"ошибок носителя: " + WideDecimal(mediaErrors));
    health.verdict = reason.empty() ? HealthVerdict::Good : HealthVerdict::Worn;
    health.reason = reason.empty() ? u"критических предупреждений нет" : reason;
  }
  const std::uint16_t kelvin = ReadU16LE(log, 1);
  const std::u16string temperature =
      kelvin == 0 || kelvin == 0xFFFF ? std::u16string(u"нет данных") : Decimal(std::int64_t{kelvin} - 273) + u" °C";
  health.figures = u"Температура: " + temperature + u"; часы работы: " + WideDecimal(log.subspan(128, 16)) +
                   u"; израсходованный ресурс: " + Decimal(used) + u" %; доступный запас: " + Decimal(log[3]) +
                   u" %; ошибки носителя: " + WideDecimal(mediaErrors);
  return health;
}

std::u16string SecurityWarning(const AtaSecurityState& security) {
  if (security.locked) return u"Внимание: накопитель заблокирован паролем. Стирание его не разблокирует.";
  if (security.enabled) return u"Внимание: на накопителе установлен пароль. Стирание его не снимет.";
  return u"";
}

std::vector<std::u16string> HealthLines(const DriveHealth& health) {
  static constexpr std::array<const char16_t*, 4> Words = {u"нет данных", u"в норме", u"есть признаки износа",
                                                           u"неисправен"};
  std::vector<std::u16string> lines = {u"Состояние накопителя: " +
                                       std::u16string(Words[static_cast<std::size_t>(health.verdict)]) + u" (" +
                                       health.reason + u")"};
  if (!health.figures.empty()) lines.push_back(health.figures);
  if (!health.securityWarning.empty()) lines.push_back(health.securityWarning);
  return lines;
}

DriveHealth ReadDriveHealth(System& system, const ProgramState& state) {
  const TIdentifyDeviceData& drive = state.SelectedEntry().IdentifyData;
  const Handle handle = state.DriveHandle.Get();
  std::array<std::uint8_t, 512> data{};
  if (drive.BusType == BusTypeNvme) {
    if (ReadNvmeHealthLog(system, handle, data)) return NvmeHealth(data);
    return {HealthVerdict::Unknown, u"накопитель не отдал журнал состояния", u"", u""};
  }
  std::array<std::uint8_t, 512> identify{};
  if (!IdentifyDevice(system, handle, drive.IsIDESlave, identify))
    return {HealthVerdict::Unknown, u"накопитель не ответил на запрос IDENTIFY", u"", u""};
  const std::u16string warning = SecurityWarning(DecodeEraseCapabilities(identify).security);
  // Word 85 bit 0: SMART is enabled. A drive with it off is left so; its verdict stays unknown.
  if (!Bit(Word(identify, 85), 0))
    return {HealthVerdict::Unknown, u"SMART на накопителе выключен", u"", warning};
  if (!ReadSmartData(system, handle, drive.IsIDESlave, data))
    return {HealthVerdict::Unknown, u"накопитель не отдал данные SMART", u"", warning};
  DriveHealth health = AtaHealth(data);
  health.securityWarning = warning;
  return health;
}

}  // namespace trelvane
