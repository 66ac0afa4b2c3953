#include "timesync/daytime_reply.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "platform/runtime/runtime_error.h"
#include "tests/support/recording_clock.h"
#include "timesync/clock_update.h"

namespace brisendale {
namespace {

const std::string kNistLine = "\n61380 26-12-06 12:00:00 00 0 0 812.3 UTC(NIST) * \n";
constexpr auto kMayAsk = Authorisation::kMayAskUser;

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

// A reply's time field must be exactly HH:MM:SS; the shown text, which a user
// may have edited, may drop leading zeros, the seconds and surrounding blanks.
TEST(TimeOfDayText, ReplyFieldIsExactShownTextLooserAndNeitherLeavesItsRange) {
    const std::tuple<const char*, bool, TimeOfDay> accepted[] = {
        {"00:00:00", true, {0, 0, 0}},    {"23:59:59", true, {23, 59, 59}},
        {"12:34:56", true, {12, 34, 56}}, {"7:05:09", false, {7, 5, 9}},
        {"19:30", false, {19, 30, 0}},    {" 12:00:00 ", false, {12, 0, 0}}};
    for (const auto& [text, validField, time] : accepted) {
        EXPECT_EQ(IsValidTimeOfDay(text), validField) << text;
        RecordingClock clock;
        std::optional<ClockRefused> refusal{ClockRefused("never answered")};
        SetSystemTimeOfDay(clock, text, kMayAsk, [&](const auto& answer) { refusal = answer; });
        EXPECT_FALSE(refusal.has_value()) << text;
        EXPECT_EQ(clock.LastSet(), time) << text;
    }
    for (const char* text :
         {"24:00:00", "23:60:00", "23:59:60", "", "19", "023.5:00:00", "12:00:00x", "1:2:3:4",
          "-1:00:00", "123:00:00", "12:00:", "12-00-00", "12:0a:00", "+1:00:00"}) {
        EXPECT_FALSE(IsValidTimeOfDay(text)) << text;
        RecordingClock clock;
        EXPECT_THROW(SetSystemTimeOfDay(clock, text, kMayAsk, [](const auto&) {}), RuntimeError)
            << text;
        EXPECT_EQ(clock.Calls(), 0) << text;
    }
}

}  // namespace
}  // namespace brisendale
