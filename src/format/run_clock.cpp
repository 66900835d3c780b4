#include "format/run_clock.h"

#include <cmath>

namespace trelvane {

namespace {

// Days from 1 January 1970 to the given civil date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

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
