#include "timesync/zone_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brisendale {
namespace {

TEST(ZoneList, HasTheTwentyFiveEntriesInOrder) {
    const std::vector<std::string> expected = {
        "[GMT -12 h.]", "[GMT -11 h.]", "[GMT -10 h.]", "[GMT -9 h.]",  "[GMT -8 h.]",
        "[GMT -7 h.]",  "[GMT -6 h.]",  "[GMT -5 h.]",  "[GMT -4 h.]",  "[GMT -3 h.]",
        "[GMT -2 h.]",  "[GMT -1 h.]",  "[GMT +0]",     "[GMT +1 h.]",  "[GMT +2 h.]",
        "[GMT +3 h.]",  "[GMT +4 h.]",  "[GMT +5 h.]",  "[GMT +6 h.]",  "[GMT +7 h.]",
        "[GMT +8 h.]",  "[GMT +9 h.]",  "[GMT +10 h.]", "[GMT +11 h.]", "[GMT +12 h.]",
    };
    EXPECT_EQ(ZoneEntries(), expected);
    EXPECT_EQ(ZoneEntries().size(), static_cast<std::size_t>(kZoneCount));
}

TEST(ZoneList, OffsetIsIndexMinusTwelve) {
    EXPECT_EQ(ZoneOffset(0), -12);
    EXPECT_EQ(ZoneOffset(7), -5);
    EXPECT_EQ(ZoneOffset(12), 0);
    EXPECT_EQ(ZoneOffset(24), 12);
}

struct ShiftRow {
    const char* name;
    std::string timeText;
    std::int16_t offset;
    std::string expected;
};

class ToLocalTimeTest : public testing::TestWithParam<ShiftRow> {};

TEST_P(ToLocalTimeTest, ShiftsTheHour) {
    const ShiftRow& row = GetParam();
    EXPECT_EQ(ToLocalTime(row.timeText, row.offset), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToLocalTimeTest,
    testing::Values(ShiftRow{"BackFive", "10:00:00", -5, "05:00:00"},
                    ShiftRow{"BackAcrossMidnight", "03:15:00", -5, "22:15:00"},
                    ShiftRow{"ForwardToMidnightWraps", "23:59:58", 1, "00:59:58"},
                    ShiftRow{"ForwardTwelve", "14:30:00", 12, "02:30:00"},
                    ShiftRow{"ZeroStaysZero", "00:00:00", 0, "00:00:00"},
                    ShiftRow{"NistNoonInZoneSeven", "12:00:00", -5, "07:00:00"},
                    ShiftRow{"MidnightBackTwelve", "00:00:00", -12, "12:00:00"},
                    ShiftRow{"LastHourForwardTwelve", "23:00:00", 12, "11:00:00"},
                    ShiftRow{"NoonForwardTwelve", "12:00:00", 12, "00:00:00"},
                    ShiftRow{"OffsetZeroKeepsTwoDigits", "09:41:07", 0, "09:41:07"},
                    ShiftRow{"EmptyText", "", -5, "19"},
                    ShiftRow{"BlankHourReadsAsZero", "  :00:00", 3, "03:00:00"},
                    ShiftRow{"OneCharacter", "7", -5, "02"}, ShiftRow{"OnlyTheHour", "12", 0, "12"},
                    ShiftRow{"RestCutAfterEightCharacters", "12:00:00 UTC", 0, "12:00:00"},
                    ShiftRow{"MinutesAndSecondsUnchecked", "05:xx:99", 1, "06:xx:99"},
                    ShiftRow{"LargeHourWraps", "99:00:00", 0, "03:00:00"},
                    ShiftRow{"NegativeHourTextAddsADay", "-9:00:00", 0, "15:00:00"},
                    ShiftRow{"HalfRoundsToEven", ".5:00:00", 0, "00:00:00"},
                    ShiftRow{"FractionKeptAndStillPadded", ".5:00:00", -1, "023.5:00:00"}),
    [](const testing::TestParamInfo<ShiftRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brisendale
