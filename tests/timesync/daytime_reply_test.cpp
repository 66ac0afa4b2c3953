#include "timesync/daytime_reply.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace brisendale {
namespace {

const std::string kNistLine = "\n61380 26-12-06 12:00:00 00 0 0 812.3 UTC(NIST) * \n";

TEST(DaytimeReply, ReadsTheTimeFieldOfANistLine) {
    DaytimeReply reply;
    EXPECT_TRUE(reply.Empty());
    reply.Append(kNistLine);
    EXPECT_TRUE(reply.Complete());
    EXPECT_EQ(reply.TimeField(), "12:00:00");
}

TEST(DaytimeReply, PutsPiecesTogetherWhateverTheSplit) {
    for (std::size_t split = 0; split <= kNistLine.size(); ++split) {
        DaytimeReply reply;
        reply.Append(kNistLine.substr(0, split));
        EXPECT_EQ(reply.Complete(), split == kNistLine.size()) << "split " << split;
        reply.Append(kNistLine.substr(split));
        EXPECT_EQ(reply.TimeField(), "12:00:00") << "split " << split;
    }
}

TEST(DaytimeReply, ShortRepliesGiveAShortField) {
    struct Row {
        const char* name;
        std::string bytes;
        bool complete;
        std::string field;
    };
    const Row rows[] = {
        {"Nothing", "", false, ""},
        {"SixteenCharacters", kNistLine.substr(0, 16), false, ""},
        {"SeventeenCharacters", kNistLine.substr(0, 17), false, "1"},
        {"TwentyThreeCharacters", kNistLine.substr(0, 23), false, "12:00:0"},
        {"ExactlyTwentyFour", kNistLine.substr(0, 24), false, "12:00:00"},
        {"LineEndRightAfterTheTime", kNistLine.substr(0, 24) + "\n", true, "12:00:00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DaytimeReply reply;
        reply.Append(row.bytes);
        EXPECT_EQ(reply.Complete(), row.complete);
        EXPECT_EQ(reply.TimeField(), row.field);
    }
}

TEST(DaytimeReply, KeepsNoMoreThanTheCap) {
    DaytimeReply reply;
    reply.Append(kNistLine);
    const std::string flood(1 << 20, 'x');
    for (int i = 0; i < 8; ++i) {
        reply.Append(flood);
    }
    EXPECT_EQ(reply.TimeField(), "12:00:00");
    // Filling exactly to the cap and one byte more must not disturb the start.
    DaytimeReply exact;
    exact.Append(std::string(DaytimeReply::kMaxReplyBytes, 'y'));
    exact.Append("z");
    EXPECT_EQ(exact.TimeField(), "yyyyyyyy");
}

// kNistLine with the character at `at` (counted from 0) replaced.
std::string NistLineWith(std::size_t at, std::string_view text) {
    return std::string(kNistLine).replace(at, text.size(), text);
}

TEST(DaytimeReply, TrustsANistLineOnlyWhenItsServerIsHealthy) {
    struct Row {
        const char* name;
        std::string line;
        ReplyFault fault;
    };
    const Row rows[] = {
        {"Healthy", kNistLine, ReplyFault::None},
        {"MayBeWrongBy5s", NistLineWith(30, "1"), ReplyFault::ServerUnhealthy},
        {"KnownWrong", NistLineWith(30, "2"), ReplyFault::ServerUnhealthy},
        {"AfterAFailure", NistLineWith(30, "3"), ReplyFault::ServerUnhealthy},
        {"InMaintenance", NistLineWith(30, "4"), ReplyFault::ServerUnhealthy},
        {"HealthALetter", NistLineWith(30, "x"), ReplyFault::InvalidReply},
        {"HealthMissing", NistLineWith(30, " "), ReplyFault::InvalidReply},
        {"CutBeforeTheHealth", kNistLine.substr(0, 24) + " UTC(NIST)\n", ReplyFault::InvalidReply},
        // Another server's line: whatever stands at 31 is not a health digit.
        {"NoMarkerValidTime", NistLineWith(30, "3 812.3 UTC(USNO)"), ReplyFault::None},
        {"MarkerOnlyOnALaterLine", kNistLine.substr(0, 24) + "\nUTC(NIST)\n", ReplyFault::None},
    };
    for (const Row& row : rows) {
        DaytimeReply reply;
        reply.Append(row.line);
        EXPECT_EQ(reply.Fault(), row.fault) << row.name;
    }
}

TEST(IsValidTimeOfDay, AcceptsOnlyARealTimeOfDay) {
    struct Row {
        const char* text;
        bool valid;
    };
    const Row rows[] = {
        {"12:00:00", true},  {"00:00:00", true},   {"23:59:59", true},   {"24:00:00", false},
        {"23:60:00", false}, {"23:59:60", false},  {"1:00:00", false},   {"12:00:0", false},
        {"", false},         {"12-00-00", false},  {"12:00:00 ", false}, {" 2:00:00", false},
        {"+1:00:00", false}, {"12:0a:00", false},  {"ab:cd:ef", false},  {"12:00::0", false},
        {"99:99:99", false}, {"\n6138026", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsValidTimeOfDay(row.text), row.valid) << '"' << row.text << '"';
    }
}

}  // namespace
}  // namespace brisendale
