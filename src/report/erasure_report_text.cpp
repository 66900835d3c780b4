// The erasure report as plain Russian text for printing and filing.

#include <algorithm>

#include "common/product.h"
#include "report/erasure_report.h"
#include "format/firmware_erase_text.h"
#include "format/run_clock.h"
#include "text/json_writer.h"
#include "text/number_text.h"
#include "text/sha256.h"
#include "text/u16.h"

namespace trelvane {

namespace {

std::string U8(const std::u16string& text) { return ToUtf8(text); }
// Thin spaces (U+2009) between groups of three digits, which no reader takes for a decimal comma:
// "67 108 864".
std::string Group(std::int64_t value) { return U8(GroupDigits(value, u'\u2009')); }
std::string YesNo(bool value) { return value ? "да" : "нет"; }

// With a decimal comma, as Russian text writes it ("0,151"); never through the C library's locale.
std::string Fixed(double value, int decimals) {
  std::string fixed = FixedDecimal(value, decimals);
  std::replace(fixed.begin(), fixed.end(), '.', ',');
  return fixed;
}

struct OutcomeName {
  const char* word;
  const char* text;
};
constexpr OutcomeName OutcomeNames[] = {{"incomplete", "НЕ ПОЛНОСТЬЮ: часть байтов не стерта или не подтверждена"},
                                        {"failed", "НЕ СТЕРТО: накопитель отклонил стирание или сообщил о сбое, "
                                                   "либо проверка чтением нашла нестертые данные"},
                                        {"stopped", "ОСТАНОВЛЕНО пользователем"},
                                        {"aborted", "ПРЕРВАНО: устройство отключено или заменено"}};

constexpr std::pair<const char*, const char*> FlushNames[] = {
    {"ok", "подтвержден"}, {"failed", "не подтвержден"}, {"not_reached", "не выполнялся (запись не завершена)"}};

// A run that went through says it in its method's words; a method that erases only part of the disk
// says how much of it: only the extents, not the disk.
std::string OutcomeText(const ErasureReport& r) {
  if (r.outcome == "erased" && r.method.erasedShowsShare)
    return std::string(r.method.erased) + " (" + Group(r.bytesWritten) + " из " + Group(r.sectorSize * r.sectorCount) +
           " байт)";
  if (r.outcome == "erased") return r.method.erased;
  for (const OutcomeName& name : OutcomeNames)
    if (r.outcome == name.word) return name.text;
  return r.outcome;
}

std::string RangeLine(const ReportRange& range) {
  std::string line = "    смещение " + Group(range.offset) + ", длина " + Group(range.length) + " байт";
  if (range.kind == "wrapped") line += " (за пределом настоящего объема устройства)";
  if (range.kind == "not_zero") line += " (не нули)";
  if (range.kind == "lost_write") line += " (запись не сохранена)";
  if (range.code != 0) line += ": код " + std::to_string(range.code) + (range.text.empty() ? "" : " - " + U8(range.text));
  return line + "\n";
}

std::string NvmeHealthLine(const NvmeHealthFacts& health) {
  const std::string temperature =
      health.temperatureCelsius ? std::to_string(*health.temperatureCelsius) + " °C" : "не сообщается";
  return "  Журнал состояния NVMe: температура " + temperature + "; израсходованный ресурс " +
         std::to_string(health.percentageUsed) + " %; ошибки носителя и целостности данных " +
         Group(health.mediaErrors) + "; часы работы " + Group(health.powerOnHours) + "\n";
}

std::string DriveSection(const ErasureReport& r) {
  std::string s = "Устройство\n";
  const std::string node = r.node.empty() ? "" : " (" + U8(r.node) + ")";
  s += "  Номер: \\\\.\\PhysicalDrive" + std::to_string(r.driveNumber) + node + "\n";
  s += "  Шина: " + U8(r.bus) + " (" + std::to_string(r.busCode) + ")\n";
  s += "  Модель: " + U8(r.model) + "\n  Прошивка: " + U8(r.firmware) + "\n  Серийный номер: " + U8(r.serial) + "\n";
  s += "  Размер сектора: " + Group(r.sectorSize) + " байт\n  Число секторов: " + Group(r.sectorCount) + "\n";
  s += "  Емкость: " + Group(r.sectorSize * r.sectorCount) + " байт\n";
  if (r.identify) {
    const IdentifyFacts& id = *r.identify;
    s += "  LBA-48: " + YesNo(id.lba48) + "\n";
    s += "  Защита паролем: поддерживается - " + YesNo(id.securitySupported) + ", включена - " +
         YesNo(id.securityEnabled) + ", заблокирована - " + YesNo(id.securityLocked) + ", заморожена - " +
         YesNo(id.securityFrozen) + "\n";
    s += "  Скрытая область (HPA): " + std::string(id.hpaFeatureSet ? "поддерживается" : "не поддерживается") + "\n";
  } else {
    s += "  Данные IDENTIFY: недоступны\n";
  }
  if (r.nvmeHealth) return s + NvmeHealthLine(*r.nvmeHealth);
  if (!r.smart) return s + "  SMART: недоступен\n";
  s += "  SMART (сырые значения):";
  for (const SmartRaw& value : *r.smart)
    s += " " + std::to_string(value.id) + " = " + (value.raw ? std::to_string(*value.raw) : "нет") + ";";
  s.back() = '\n';
  return s;
}

// The drive's own erase: every command with its completion, the estimate against the time taken.
std::string FirmwareSection(const FirmwareEraseReport& f) {
  std::string s = "  Команды накопителя:\n";
  for (const FirmwareCommandRecord& record : f.run.commands) s += "    " + U8(CommandRecordLine(record)) + "\n";
  if (f.run.eraseStarted) s += "  " + U8(EstimateLine(f.run)) + "\n";
  for (const std::u16string& note : f.run.notes) s += "  " + U8(note) + "\n";
  if (!f.run.text.empty()) s += "  Ответ накопителя: " + U8(f.run.text) + "\n";
  return s;
}

std::string VerificationSection(const ErasureReport& r) {
  if (!r.verification) return "  Проверка после записи: не выполнялась\n";
  if (r.firmwareErase && r.firmwareErase->proof) {
    std::string s = "  " + U8(ProofLine(*r.firmwareErase->proof, r.firmwareErase->wholeDiskProof)) + "\n";
    for (const ProofFinding& finding : r.firmwareErase->proof->findings) s += "    " + U8(FindingLine(finding)) + "\n";
    return s;
  }
  const VerificationOutcome& v = *r.verification;
  const char* result = v.stopped ? "остановлена" : v.aborted ? "прервана" : v.Clean() ? "пройдена" : "не пройдена";
  std::string s = "  Проверка после записи: " + std::string(result) + "; проверено байт: " + Group(v.bytesChecked) +
                  ", ошибочных байт: " + Group(v.bytesWrong) + "\n";
  for (const ReportRange& range : r.verificationRanges) s += RangeLine(range);
  return s;
}

std::string RunSection(const ErasureReport& r) {
  std::string s = "Стирание\n  Способ: ";
  s += std::string(r.method.text) + "\n";
  s += "  Категория NIST SP 800-88: " + U8(NistCategoryText(r.nistCategory == "purge"   ? NistCategory::Purge
                                                             : r.nistCategory == "clear" ? NistCategory::Clear
                                                                                         : NistCategory::None)) +
       "\n";
  for (const WipeExtent& extent : r.extents)
    s += "    смещение " + Group(extent.from) + ", длина " + Group(extent.to - extent.from) + " байт\n";
  const std::int64_t ms = std::max<std::int64_t>(RunClockMilliseconds(r.ended) - RunClockMilliseconds(r.started), 0);
  s += "  Начало: " + IsoTime(r.started, r.host.utcOffsetMinutes) + "\n  Окончание: " +
       IsoTime(r.ended, r.host.utcOffsetMinutes) + "\n";
  s += "  Длительность: " + Fixed(static_cast<double>(ms) / 1000.0, 3) + " с\n";
  s += "  Средняя скорость записи: " + Fixed(r.megabytesPerSecond, 1) + " МБ/с\n";
  s += "  Записано байт: " + Group(r.bytesWritten) + "\n  Не записано байт: " + Group(r.bytesNotWritten) + "\n";
  s += "  Ошибки записи: " + std::string(r.failedWrites.empty() ? "нет" : std::to_string(r.failedWrites.size())) + "\n";
  for (const ReportRange& range : r.failedWrites) s += RangeLine(range);
  for (const auto& [word, text] : FlushNames)
    if (r.flush == word) s += "  Сброс кэша устройства: " + std::string(text) + "\n";
  if (r.firmwareErase) s += FirmwareSection(*r.firmwareErase);
  return s + VerificationSection(r);
}

}  // namespace

std::string ErasureReportText(const ErasureReport& r) {
  std::string s = "ОТЧЕТ О СТИРАНИИ ДИСКА\n\n";
  s += "Программа: " + U8(ProductLine) + "\n";
  s += "Компьютер: " + U8(r.host.computerName) + "\n";
  s += "Операционная система: " + U8(r.host.operatingSystem) + "\n";
  s += "Пользователь: " + U8(r.host.userName) + "\n\n";
  s += DriveSection(r) + "\n" + RunSection(r) + "\n";
  s += "Итог: " + OutcomeText(r) + "\n";
  if (!r.verification) s += "Результат не проверен: записанное не читалось обратно.\n";
  s += "\n";
  return s + "SHA-256 всего текста выше этой строки: " + Sha256Hex(s) + "\n";
}

}  // namespace trelvane
