// The instant a server's UTC time of day stands for, near the computer's clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "timesync/clock_instant.h"

namespace brisendale {
namespace {

using namespace std::chrono;

// Exactly one instant has the server's time of day and a half and lies within
// (-12 h, +12 h] of the reading: it, on every date, in any zone of the process.
TEST(ServerInstant, IsTheServersTimeOfDayAndAHalfWithinTwelveHoursOfTheReadingInAnyZone) {
    const TimeOfDay times[] = {{0, 0, 0}, {0, 0, 1}, {6, 30, 15}, {12, 0, 0}, {23, 59, 59}};
    // putenv, as Windows has no setenv.
    for (const char* zone :
         {"TZ=UTC", "TZ=Asia/Tokyo", "TZ=Asia/Kolkata", "TZ=EST5EDT,M3.2.0,M11.1.0"}) {
        putenv(const_cast<char*>(zone));
        tzset();
        // Half-hour steps from half a second past midnight meet both 12-hour ties.
        for (const microseconds step : {microseconds{30min}, 7min + 13s + 1us}) {
            for (ClockInstant reading = sys_days{2024y / 3 / 9} + 500ms;
                 reading < sys_days{2024y / 3 / 11}; reading += step) {
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
