#include "backends/emulated/emulated_clock.h"

#include <ctime>
#include <thread>

#include "text/calendar.h"

namespace trelvane::emulated {

namespace {

constexpr std::int64_t MsPerDay = 86'400'000;

// Reads `count` decimal digits at `position`; -1 when they are not all digits.
int Digits(std::string_view text, std::size_t position, std::size_t count) {
  if (position + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = position; i < position + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

int FractionMilliseconds(std::string_view fraction) {
  if (fraction.empty()) return 0;
  if (fraction.size() < 2 || fraction.size() > 4 || fraction[0] != '.') return -1;
  const int digits = Digits(fraction, 1, fraction.size() - 1);
  if (digits < 0) return -1;
  return fraction.size() == 2 ? digits * 100 : fraction.size() == 3 ? digits * 10 : digits;
}

}  // namespace

std::int64_t ToMilliseconds(const SystemTime& time) {
  const std::int64_t days = DaysFromCivil(time.year, time.month, time.day);
  return days * MsPerDay + ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000 + time.milliseconds;
}

SystemTime FromMilliseconds(std::int64_t milliseconds) {
  std::int64_t days = milliseconds / MsPerDay;
  std::int64_t rest = milliseconds % MsPerDay;
  if (rest < 0) {
    rest += MsPerDay;
    --days;
  }
  const CivilDate date = CivilFromDays(days);
  SystemTime time;
  time.year = static_cast<int>(date.year);
  time.month = date.month;
  time.day = date.day;
  time.hour = static_cast<int>(rest / 3'600'000);
  time.minute = static_cast<int>(rest / 60'000 % 60);
  time.second = static_cast<int>(rest / 1000 % 60);
  time.milliseconds = static_cast<int>(rest % 1000);
  return time;
}

std::optional<SystemTime> ParseLocalTime(std::string_view text) {
  if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  SystemTime time{Digits(text, 0, 4), Digits(text, 5, 2),  Digits(text, 8, 2),
                  Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2),
                  FractionMilliseconds(text.substr(19))};
  if (time.year < 1601 || time.month < 1 || time.month > 12 || time.day < 1 || time.hour < 0 ||
      time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 || time.second > 59 ||
      time.milliseconds < 0)
    return std::nullopt;
  // A day past the month's end (2026-02-30) comes back as another date.
  const SystemTime normal = FromMilliseconds(ToMilliseconds(time));
  if (normal.month != time.month || normal.day != time.day) return std::nullopt;
  return time;
}

SystemTime RealLocalTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const std::tm local = *std::localtime(&seconds);
  const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  return SystemTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                    local.tm_min,        local.tm_sec,     static_cast<int>(sinceEpoch.count() % 1000)};
}

EmulatedClock::EmulatedClock(std::optional<SystemTime> start, std::optional<std::int64_t> stepMs)
    : mode_(stepMs ? Mode::Stepped : start ? Mode::FollowsReal : Mode::Real),
      startMs_(ToMilliseconds(start ? *start : RealLocalTime())),
      stepMs_(stepMs.value_or(0)),
      createdAt_(std::chrono::steady_clock::now()) {}

SystemTime EmulatedClock::Read() {
  const std::lock_guard<std::mutex> lock(mutex_);
  switch (mode_) {
    case Mode::Real:
      return RealLocalTime();
    case Mode::FollowsReal: {
      const auto elapsed = std::chrono::steady_clock::now() - createdAt_;
      return FromMilliseconds(startMs_ + sleptMs_ +
                              std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }
    case Mode::Stepped:
      break;
  }
  const SystemTime reading = FromMilliseconds(startMs_);
  startMs_ += stepMs_;
  return reading;
}

void EmulatedClock::Sleep(std::uint32_t milliseconds) {
  if (mode_ == Mode::Real) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  if (mode_ == Mode::FollowsReal) {
    sleptMs_ += milliseconds;
  } else {
    startMs_ += milliseconds;
  }
}

}  // namespace trelvane::emulated
