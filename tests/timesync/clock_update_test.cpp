#include "timesync/clock_update.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/runtime/runtime_error.h"
#include "tests/support/recording_clock.h"

namespace brisendale {
namespace {

// Sets the clock from `text` and returns how the request ended; the recording
// clock always answers at once.
std::optional<ClockRefused> SetFromText(RecordingClock& clock, const std::string& text) {
    std::optional<std::optional<ClockRefused>> outcome;
    SetSystemTimeOfDay(clock, text, Authorisation::kMayAskUser,
                       [&outcome](const std::optional<ClockRefused>& refusal) {
                           EXPECT_FALSE(outcome.has_value()) << "answered twice";
                           outcome = refusal;
                       });
    EXPECT_TRUE(outcome.has_value()) << "never answered";
    return outcome.value_or(std::nullopt);
}

TEST(SetSystemTimeOfDay, SetsTheShownTime) {
    struct Row {
        const char* text;
        TimeOfDay expected;
    };
    const Row rows[] = {
        {"07:00:00", {7, 0, 0}}, {"00:00:00", {0, 0, 0}}, {"23:59:59", {23, 59, 59}},
        {"7:05:09", {7, 5, 9}},  {"19:30", {19, 30, 0}},  {" 12:00:00 ", {12, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        RecordingClock clock;
        EXPECT_FALSE(SetFromText(clock, row.text).has_value());
        EXPECT_EQ(clock.Calls(), 1);
        ASSERT_TRUE(clock.LastSet().has_value());
        EXPECT_EQ(*clock.LastSet(), row.expected);
    }
}

TEST(SetSystemTimeOfDay, TextThatIsNotATimeLeavesTheClockAlone) {
    // What a malformed reply could leave on screen after the hour shift.
    const char* texts[] = {"",         "19",        "023.5:00:00", "24:00:00", "12:60:00",
                           "12:00:60", "12:00:00x", "12::00",      "1:2:3:4",  "ab:cd:ef",
                           "-1:00:00", "123:00:00", "12:00:",      ":00:00"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        RecordingClock clock;
        try {
            SetSystemTimeOfDay(clock, text, Authorisation::kMayAskUser,
                               [](const auto&) { ADD_FAILURE() << "answered"; });
            ADD_FAILURE() << "accepted";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.Number(), RuntimeError::kTypeMismatch);
            EXPECT_STREQ(error.what(), "Type mismatch");
        }
        EXPECT_EQ(clock.Calls(), 0);
    }
}

TEST(SetSystemTimeOfDay, RefusalReachesTheCallerWithItsReason) {
    RecordingClock clock;
    clock.RefuseWith("Operation not permitted");
    const auto refusal = SetFromText(clock, "07:00:00");
    ASSERT_TRUE(refusal.has_value()) << "refusal was swallowed";
    EXPECT_STREQ(refusal->what(), "Operation not permitted");
    EXPECT_FALSE(clock.LastSet().has_value());

    clock.Accept();
    EXPECT_FALSE(SetFromText(clock, "07:00:00").has_value());
    EXPECT_EQ(clock.Calls(), 2);
    EXPECT_EQ(*clock.LastSet(), (TimeOfDay{7, 0, 0}));
}

}  // namespace
}  // namespace brisendale
