// From a server's reply to the instant its time of day stands for, near the computer's clock.
#include "timesync/daytime_reply.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "timesync/clock_instant.h"
#include "timesync/time_of_day.h"

namespace brisendale {
namespace {

const std::string kNistLine = "\n61380 26-12-06 12:00:00 00 0 0 812.3 UTC(NIST) * \n";

TEST(DaytimeReply, PiecesMakeTheLineWhateverTheSplitAndItEndsAtTheLineEndOrTheCap) {
    for (std::size_t split = 0; split <= kNistLine.size(); ++split) {
        DaytimeReply reply;
        reply.Append(kNistLine.substr(0, split));
        EXPECT_EQ(reply.Empty(), split == 0);
        EXPECT_EQ(reply.Complete(), split == kNistLine.size()) << split;
        EXPECT_EQ(reply.TimeField(),
                  split < 16 ? "" : kNistLine.substr(16, std::min<std::size_t>(split - 16, 8)));
        reply.Append(kNistLine.substr(split));
        EXPECT_EQ(reply.TimeField(), "12:00:00") << split;
    }
    DaytimeReply shortLine;
    shortLine.Append(kNistLine.substr(0, 24) + "\n");
    EXPECT_TRUE(shortLine.Complete()) << "the line may end right after the time";
    DaytimeReply flood;
    flood.Append(std::string(DaytimeReply::kMaxReplyBytes - 1, 'y'));
    EXPECT_FALSE(flood.Complete());
    flood.Append(std::string(1 << 20, 'z'));
    EXPECT_TRUE(flood.Complete()) << "a full buffer ends the reply";
    EXPECT_EQ(flood.TimeField(), "yyyyyyyy");
}

// The fault of the NIST line with `text` written over it from `at` (counted from 0).
ReplyFault FaultWith(std::size_t at, const std::string& text) {
    DaytimeReply reply;
    reply.Append(std::string(kNistLine).replace(at, text.size(), text));
    return reply.Fault();
}

TEST(DaytimeReply, TrustsANistLineOnlyWhenItsServerIsHealthy) {
    EXPECT_EQ(FaultWith(30, "0"), ReplyFault::None);
    EXPECT_EQ(FaultWith(30, "1"), ReplyFault::ServerUnhealthy);
    EXPECT_EQ(FaultWith(30, "4"), ReplyFault::ServerUnhealthy);
    EXPECT_EQ(FaultWith(30, "x"), ReplyFault::InvalidReply);
    EXPECT_EQ(FaultWith(30, " "), ReplyFault::InvalidReply);
    EXPECT_EQ(FaultWith(29, "00"), ReplyFault::InvalidReply) << "the digit must stand alone";
    EXPECT_EQ(FaultWith(16, "12:60:00"), ReplyFault::InvalidReply);
    EXPECT_EQ(FaultWith(24, " UTC(NIST)\n"), ReplyFault::InvalidReply);
    // Not NIST lines: whatever stands at 31 is not a health digit.
    EXPECT_EQ(FaultWith(30, "3 812.3 UTC(USNO)"), ReplyFault::None);
    EXPECT_EQ(FaultWith(24, "\nUTC(NIST)\n"), ReplyFault::None);
}

// A reply's time field must be exactly HH:MM:SS, within its ranges.
TEST(TimeOfDayText, OnlyExactlyHHMMSSWithinItsRangesReads) {
    EXPECT_EQ(ParseTimeOfDay("00:00:00"), (TimeOfDay{0, 0, 0}));
    EXPECT_EQ(ParseTimeOfDay("23:59:59"), (TimeOfDay{23, 59, 59}));
    EXPECT_EQ(ParseTimeOfDay("12:34:56"), (TimeOfDay{12, 34, 56}));
    for (const char* text :
         {"24:00:00", "23:60:00", "23:59:60", "7:05:09", "12:00:00x", "-1:00:00", "12-00-00"}) {
        EXPECT_FALSE(ParseTimeOfDay(text)) << text;
    }
}

// Exactly one instant has the server's time of day and a half and lies within
// (-12 h, +12 h] of the reading: it, on every date, in any zone of the process.
TEST(ServerInstant, IsTheServersTimeOfDayAndAHalfWithinTwelveHoursOfTheReadingInAnyZone) {
    using namespace std::chrono;
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
