#pragma once
// Conversions between civil dates and day counts in the proleptic Gregorian calendar.

#include <cstdint>

namespace trelvane {

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

// Days from 1 January 1970 to the given date (negative before it).
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);
CivilDate CivilFromDays(std::int64_t days);

}  // namespace trelvane
