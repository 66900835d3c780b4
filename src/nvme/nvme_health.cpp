#include "nvme/nvme_health.h"

#include <array>

#include "os/bytes.h"
#include "text/u16.h"
#include "text/wide_decimal.h"

namespace trelvane {

namespace {

// SMART / Health Information log (log page 02h, 512 bytes), the fields shown:
//     0  Critical Warning: bit 0 spare below threshold, 1 temperature out of bounds, 2 reliability
//        degraded, 3 read-only, 4 volatile memory backup failed, 5 persistent memory region read-only
//     1  Composite Temperature (u16, kelvin)
//     3  Available Spare (%)   4  Available Spare Threshold (%)   5  Percentage Used (%, may pass 100)
//    32  Data Units Read, 48 Data Units Written (u128, thousands of 512-byte units)
//    64  Host Read Commands, 80 Host Write Commands, 96 Controller Busy Time (minutes),
//   112  Power Cycles, 128 Power On Hours, 144 Unsafe Shutdowns, 160 Media and Data Integrity
//        Errors, 176 Number of Error Information Log Entries (u128 each)
//   192  Warning Composite Temperature Time (u32, minutes)   196  Critical ... Time (u32, minutes)
//   200  Temperature Sensors 1-8 (u16 each, kelvin; 0 = the sensor is not implemented)
constexpr std::uint32_t DataUnitBytes = 512000;
constexpr int KelvinAtZeroCelsius = 273;
constexpr std::size_t FirstSensor = 200;
constexpr std::size_t SensorCount = 8;

constexpr std::size_t NameWidth = 46;
constexpr std::size_t ValueWidth = 22;
constexpr std::size_t RuleWidth = 88;

std::u16string Padded(std::u16string text, std::size_t width, bool left) {
  if (text.size() >= width) return text;
  const std::u16string fill(width - text.size(), u' ');
  return left ? fill + text : text + fill;
}

std::u16string Row(const std::u16string& name, const std::u16string& value, const std::u16string& note = u"") {
  std::u16string line = u" " + Padded(name, NameWidth, false) + Padded(value, ValueWidth, true);
  if (!note.empty()) line += u"  " + note;
  return line;
}

std::u16string Celsius(std::uint16_t kelvin) { return Decimal(std::int64_t{kelvin} - KelvinAtZeroCelsius) + u" °C"; }
std::u16string Kelvin(std::uint16_t kelvin) { return Decimal(kelvin) + u" K"; }

// 0 K is no reading and 65 535 K no temperature: such a value is named, never turned into °C.
std::u16string TemperatureRow(const std::u16string& name, std::uint16_t kelvin) {
  if (kelvin == 0 || kelvin == 0xFFFF) return Row(name, u"недопустимое значение (" + Decimal(kelvin) + u")");
  return Row(name, Celsius(kelvin), Kelvin(kelvin));
}

constexpr std::array<const char16_t*, 6> WarningBits = {
    u"  запас ниже порога",
    u"  температура вне допустимых пределов",
    u"  надёжность снижена из-за ошибок носителя",
    u"  носитель только для чтения",
    u"  сбой резервирования энергозависимой памяти",
    u"  постоянная область памяти только для чтения",
};

void AppendWarning(std::span<const std::uint8_t, 512> log, std::vector<std::u16string>& lines) {
  const std::uint8_t warning = log[0];
  lines.push_back(Row(u"Критическое предупреждение", u"0x" + HexByte(warning)));
  for (unsigned bit = 0; bit < WarningBits.size(); ++bit)
    lines.push_back(Row(WarningBits[bit], Bit(warning, bit) ? u"да" : u"нет"));
}

struct PercentField {
  std::size_t offset;
  const char16_t* name;
};
constexpr std::array<PercentField, 3> PercentFields = {{
    {3, u"Доступный запас"}, {4, u"Порог доступного запаса"}, {5, u"Израсходованный ресурс"}}};

// The 16-byte counters; the data units also in bytes.
struct CounterField {
  std::size_t offset;
  const char16_t* name;
  bool dataUnits;
};
constexpr std::array<CounterField, 10> CounterFields = {{
    {32, u"Прочитано единиц данных (по 512 000 байт)", true},
    {48, u"Записано единиц данных (по 512 000 байт)", true},
    {64, u"Команды чтения от хоста", false},
    {80, u"Команды записи от хоста", false},
    {96, u"Время занятости контроллера, мин", false},
    {112, u"Циклы включения питания", false},
    {128, u"Часы работы", false},
    {144, u"Небезопасные выключения", false},
    {160, u"Ошибки носителя и целостности данных", false},
    {176, u"Записи в журнале ошибок", false},
}};

void AppendCounters(std::span<const std::uint8_t, 512> log, std::vector<std::u16string>& lines) {
  for (const CounterField& field : CounterFields) {
    const auto counter = log.subspan(field.offset, 16);
    const std::u16string note = field.dataUnits ? u"(" + WideDecimal(counter, DataUnitBytes) + u" байт)" : u"";
    lines.push_back(Row(field.name, WideDecimal(counter), note));
  }
  lines.push_back(Row(u"Время при температуре предупреждения, мин", DecimalUnsigned(ReadU32LE(log, 192))));
  lines.push_back(Row(u"Время при критической температуре, мин", DecimalUnsigned(ReadU32LE(log, 196))));
}

void AppendSensors(std::span<const std::uint8_t, 512> log, std::vector<std::u16string>& lines) {
  for (std::size_t sensor = 0; sensor < SensorCount; ++sensor) {
    const std::uint16_t kelvin = ReadU16LE(log, FirstSensor + 2 * sensor);
    if (kelvin == 0) continue;  // a sensor the controller does not have
    lines.push_back(TemperatureRow(u"Датчик температуры " + Decimal(static_cast<std::int64_t>(sensor + 1)), kelvin));
  }
}

}  // namespace

std::vector<std::u16string> NvmeHealthLines(std::span<const std::uint8_t, 512> log) {
  std::vector<std::u16string> lines = {Row(u"         Параметр", u"Значение", u"Примечание"),
                                       std::u16string(RuleWidth, u'-')};
  AppendWarning(log, lines);
  const std::uint16_t composite = ReadU16LE(log, 1);
  lines.push_back(TemperatureRow(u"Температура (общая)", composite));
  for (const PercentField& field : PercentFields) lines.push_back(Row(field.name, Decimal(log[field.offset]) + u" %"));
  AppendCounters(log, lines);
  AppendSensors(log, lines);
  lines.push_back(u" ");
  return lines;
}

}  // namespace trelvane
