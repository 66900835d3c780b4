#pragma once
// The machine's local clock. Real by default; or started at a given local time, then either following
// real time or moving by a fixed step on every reading (a step of 0 freezes it), so that tests get the
// same time stamps and speeds on every run. A firmware erase reads and advances it from a worker
// thread while the window's thread may stamp a line, so every reading is taken under a lock.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

#include "os/system.h"

namespace trelvane::emulated {

class EmulatedClock {
 public:
  // No start and no step: the real local clock. A step without a start steps from the real time of
  // the machine's creation.
  EmulatedClock(std::optional<SystemTime> start, std::optional<std::int64_t> stepMs);

  SystemTime Read();
  // Blocks only on the real clock; an emulated clock moves forward by the time slept instead.
  void Sleep(std::uint32_t milliseconds);

 private:
  enum class Mode { Real, FollowsReal, Stepped };
  std::mutex mutex_;
  Mode mode_;
  std::int64_t startMs_ = 0;  // FollowsReal: the start; Stepped: the current reading
  std::int64_t stepMs_ = 0;
  std::int64_t sleptMs_ = 0;
  std::chrono::steady_clock::time_point createdAt_;
};

// Milliseconds since 1970-01-01 00:00 of a local date and time, and back (the proleptic Gregorian
// calendar; the time zone does not enter, both sides are local).
std::int64_t ToMilliseconds(const SystemTime& time);
SystemTime FromMilliseconds(std::int64_t milliseconds);
// "2026-12-07T10:15:30.250" (the fraction optional, 1 to 3 digits); nullopt when it is not one.
std::optional<SystemTime> ParseLocalTime(std::string_view text);
SystemTime RealLocalTime();

}  // namespace trelvane::emulated
