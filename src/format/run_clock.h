#pragma once
// The zero fill's time base: the local wall-clock date and time as a day count with fraction, scaled
// to milliseconds. Only differences of two readings mean anything; a clock set back during a run
// gives a negative difference.

#include <cstdint>

#include "os/system.h"

namespace trelvane {

// Rounds to the nearest integer, a half to the even neighbour (2.5 -> 2, 3.5 -> 4).
std::int64_t RoundHalfEven(double value);

// Days since 30 December 1899 plus the fraction of the day, times 86,400, times 1,000, rounded half
// to even. Computed in floating point as a day count so that two readings differ exactly as the
// wall clock does, whole days included.
std::int64_t RunClockMilliseconds(const SystemTime& time);

}  // namespace trelvane
