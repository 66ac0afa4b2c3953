// The instant a server's UTC time of day stands for, near the computer's clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "timesync/clock_instant.h"

namespace brisendale {
namespace {

using namespace std::chrono;

ClockInstant At(year_month_day date, int hour, int minute, microseconds extra = {}) {
    return sys_days{date} + hours{hour} + minutes{minute} + extra;
}

// Exactly one instant has the server's time of day and a half and lies within
// (-12 h, +12 h] of the reading: this pins it on every date, midnight or not,
// whatever the process's time zone (a POSIX zone with summer time among them).
TEST(ServerInstant, IsTheServersTimeOfDayAndAHalfWithinTwelveHoursOfTheReadingInAnyZone) {
    // A clock 17 minutes slow before midnight, and 6 minutes fast after it.
    EXPECT_EQ(ServerInstant({0, 0, 0}, At(2024y / 3 / 10, 23, 43)),
              At(2024y / 3 / 11, 0, 0, 500ms));
    EXPECT_EQ(ServerInstant({23, 59, 0}, At(2024y / 3 / 11, 0, 5)),
              At(2024y / 3 / 10, 23, 59, 500ms));
    const TimeOfDay times[] = {{0, 0, 0}, {0, 0, 1}, {6, 30, 15}, {12, 0, 0}, {23, 59, 59}};
    // putenv, as Windows has no setenv.
    for (const char* zone :
         {"TZ=UTC", "TZ=Asia/Tokyo", "TZ=Asia/Kolkata", "TZ=EST5EDT,M3.2.0,M11.1.0"}) {
        putenv(const_cast<char*>(zone));
        tzset();
        // Half-hour steps from half a second past midnight meet both 12-hour ties.
        for (const microseconds step : {microseconds{30min}, 7min + 13s + 1us}) {
            for (auto reading = At(2024y / 3 / 9, 0, 0, 500ms); reading < At(2024y / 3 / 11, 0, 0);
                 reading += step) {
                for (const TimeOfDay& time : times) {
                    const ClockInstant instant = ServerInstant(time, reading);
                    EXPECT_GT(instant - reading, -12h) << zone;
                    EXPECT_LE(instant - reading, 12h) << zone;
                    EXPECT_EQ(
                        instant - floor<days>(instant),
                        hours{time.hour} + minutes{time.minute} + seconds{time.second} + 500ms)
                        << zone;
                }
            }
        }
    }
}

}  // namespace
}  // namespace brisendale
