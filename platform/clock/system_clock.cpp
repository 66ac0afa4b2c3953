#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "platform/clock/system_clock.h"

namespace brisendale {

namespace {

using std::chrono::sys_days;

constexpr ClockInstant kEpoch{};
constexpr ClockInstant kEnd{sys_days{std::chrono::year{2100} / 1 / 1}};
// The first second a 32-bit time_t cannot hold.
constexpr ClockInstant kEnd32{std::chrono::seconds{std::int64_t{1} << 31}};

// "2024-03-10 23:43:00 UTC", to the second.
std::string UtcText(ClockInstant instant) {
    const auto day = std::chrono::floor<std::chrono::days>(instant);
    const std::chrono::year_month_day date{day};
    const std::chrono::hh_mm_ss time{std::chrono::floor<std::chrono::seconds>(instant - day)};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d UTC",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

}  // namespace

bool IsSettable(ClockInstant instant) {
    const ClockInstant end =
        sizeof(std::time_t) < sizeof(std::int64_t) ? std::min(kEnd, kEnd32) : kEnd;
    return instant > kEpoch && instant < end;
}

ClockRefusal NotSettableRefusal(ClockInstant instant) {
    return ClockRefusal{"the time to set, " + UtcText(instant) +
                        ", lies outside the range the system clock can take"};
}

ClockInstant SystemClock::Now() const {
    return std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
}

void SystemClock::RequestTime(ClockInstant instant, Authorisation, const ClockAnswer& done) {
    done(SetTime(instant));
}

}  // namespace brisendale
