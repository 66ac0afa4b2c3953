// The POSIX clock's conversion of a local time of day, visible so that tests
// can check it without touching the clock. Only POSIX builds and their tests
// include this. On its way out with SystemClock::SetLocalTimeOfDay.
#pragma once

#include <ctime>

#include "platform/clock/system_clock.h"

namespace brisendale {

// The instant that setting `time` would give the clock when it is now `now`:
// the local date of `now`, the given hour, minute and second read in the local
// time zone (daylight saving decided by the C library), plus half a second.
// Throws std::invalid_argument for a time outside its ranges and ClockRefused
// when the C library cannot convert the result.
timespec LocalTimeOfDayToRealtime(const TimeOfDay& time, std::time_t now);

}  // namespace brisendale
