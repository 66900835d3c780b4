#include "format/run_clock.h"

#include <cmath>

#include "text/calendar.h"

namespace trelvane {

namespace {

constexpr double MillisecondsPerDay = 86'400'000.0;

}  // namespace

std::int64_t RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  auto result = static_cast<std::int64_t>(below);
  if (fraction > 0.5 || (fraction == 0.5 && (result & 1) != 0)) ++result;
  return result;
}

std::int64_t RunClockMilliseconds(const SystemTime& time) {
  const std::int64_t days = DaysFromCivil(time.year, time.month, time.day) - DaysFromCivil(1899, 12, 30);
  const std::int64_t msOfDay =
      ((static_cast<std::int64_t>(time.hour) * 60 + time.minute) * 60 + time.second) * 1000 +
      time.milliseconds;
  const double dayCount = static_cast<double>(days) + static_cast<double>(msOfDay) / MillisecondsPerDay;
  return RoundHalfEven(dayCount * 86400.0 * 1000.0);
}

}  // namespace trelvane
