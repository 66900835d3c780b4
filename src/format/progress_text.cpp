#include "format/progress_text.h"

#include <algorithm>
#include <cmath>

#include "format/firmware_erase_text.h"
#include "format/run_clock.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

std::int64_t PercentDone(std::int64_t done, std::int64_t total) {
  return RoundHalfEven(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

std::int64_t SectorAt(std::int64_t offset, std::int64_t sectorSize) {
  if (sectorSize < 1) return 0;
  const std::int64_t whole = offset / sectorSize;
  const std::int64_t twiceRest = 2 * (offset % sectorSize);
  if (twiceRest > sectorSize || (twiceRest == sectorSize && (whole & 1) != 0)) return whole + 1;
  return whole;
}

std::u16string PercentCaption(std::int64_t percent) {
  return Decimal(std::min<std::int64_t>(percent, 100)) + u"% завершено";
}

std::u16string PercentCaption(RunPhase phase, std::int64_t percent) {
  const char16_t* name = phase == RunPhase::Write ? u"Запись: " : phase == RunPhase::Check ? u"Проверка: " : u"Стирание: ";
  return name + PercentCaption(percent);
}

std::u16string PositionCaption(std::int64_t sector) { return u"Текущий сектор: " + GroupDigits(sector); }

std::u16string SpeedCaptionText(double megabytesPerSecond, char16_t decimalSeparator) {
  const long long tenths = std::llround(megabytesPerSecond * 10.0);
  return Decimal(tenths / 10) + decimalSeparator + Decimal(tenths % 10) + u" МБ/с";
}

namespace {

constexpr const char16_t* SpeedLabels[] = {u"Скорость записи: ", u"Скорость чтения: ", u"Проверка: "};

// A count of `unit` bytes with one decimal, the rest cut off, so that a phase never shows its total
// before it has reached it.
std::u16string Tenths(std::int64_t bytes, std::int64_t unit, char16_t decimalSeparator) {
  const std::int64_t tenths = bytes / (unit / 10);
  return Decimal(tenths / 10) + decimalSeparator + Decimal(tenths % 10);
}

}  // namespace

std::u16string SpeedCaptionText(RunPhase phase, double megabytesPerSecond, char16_t decimalSeparator) {
  return SpeedLabels[phase == RunPhase::Write ? 0 : 1] + SpeedCaptionText(megabytesPerSecond, decimalSeparator);
}

std::u16string SpeedFigure(const std::u16string& caption) {
  for (const char16_t* label : SpeedLabels) {
    const std::u16string prefix(label);
    if (caption.starts_with(prefix)) return caption.substr(prefix.size());
  }
  return caption;
}

std::u16string AmountCaption(std::int64_t done, std::int64_t total, std::int64_t elapsedMs, char16_t decimalSeparator) {
  struct Unit {
    std::int64_t bytes;
    const char16_t* name;
  };
  static constexpr Unit Units[] = {{1'000'000'000, u" ГБ"}, {1'000'000, u" МБ"}, {1'000, u" КБ"}};
  std::u16string text;
  for (const Unit& unit : Units) {
    if (total < unit.bytes) continue;
    text = Tenths(done, unit.bytes, decimalSeparator) + u" из " + Tenths(total, unit.bytes, decimalSeparator) + unit.name;
    break;
  }
  if (text.empty()) text = Decimal(done) + u" из " + Decimal(total) + u" байт";
  const std::int64_t elapsed = std::max<std::int64_t>(elapsedMs, 0);
  text += u", прошло " + (elapsed < 1000 ? u"0 с" : DurationText(elapsed - elapsed % 1000));
  // The first second says too little of the speed for an estimate.
  if (elapsed >= 1000 && done > 0 && done < total) {
    const double rest = static_cast<double>(total - done) * static_cast<double>(elapsed) / static_cast<double>(done);
    text += u", осталось около " + DurationText(std::max<std::int64_t>(std::llround(rest), 1000));
  }
  return text;
}

}  // namespace trelvane
