#include "timesync/daytime_reply.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

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
        EXPECT_FALSE(IsValidTimeOfDay(text)) << text;
    }
}

}  // namespace
}  // namespace brisendale
