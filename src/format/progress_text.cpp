#include "format/progress_text.h"

#include <algorithm>
#include <cmath>

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

std::u16string PositionCaption(std::int64_t sector) { return u"Текущий сектор: " + GroupDigits(sector); }

std::u16string SpeedCaptionText(double megabytesPerSecond, char16_t decimalSeparator) {
  const long long tenths = std::llround(megabytesPerSecond * 10.0);
  return Decimal(tenths / 10) + decimalSeparator + Decimal(tenths % 10) + u" МБ/с";
}

}  // namespace trelvane
