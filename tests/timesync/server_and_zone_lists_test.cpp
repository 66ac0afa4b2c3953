#include <gtest/gtest.h>

#include <set>
#include <string>

#include "timesync/query_spacing.h"
#include "timesync/server_table.h"
#include "timesync/zone_list.h"

namespace brisendale {
namespace {

// Only the time services' own hosts are contacted; the others' operators gave their domains up.
TEST(ServerTable, EachEntryIsItsRowsHostAndLabelTheHostsAreDistinctAndNoRowOutside) {
    std::set<std::string_view> hosts;
    for (int row = 0; row < kServerCount; ++row) {
        const TimeServer& server = *ServerAt(row);
        EXPECT_EQ(DisplayString(server),
                  "[" + std::string(server.host) + "] " + std::string(server.label));
        const bool timeService =
            server.host.ends_with(".nist.gov") || server.host.ends_with(".colorado.edu");
        EXPECT_EQ(server.retired, !timeService) << server.host;
        hosts.insert(server.host);
    }
    EXPECT_EQ(hosts.size(), static_cast<std::size_t>(kServerCount));
    EXPECT_EQ(ServerAt(-1), nullptr);
    EXPECT_EQ(ServerAt(kServerCount), nullptr);
}

TEST(ZoneList, EachEntryNamesTheOffsetOfItsIndex) {
    const auto entries = ZoneEntries();
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kZoneCount));
    for (std::int16_t index = 0; index < kZoneCount; ++index) {
        const int offset = ZoneOffset(index);
        const std::string sign = offset < 0 ? "-" : "+";
        EXPECT_EQ(entries[index], offset == 0
                                      ? "[GMT +0]"
                                      : "[GMT " + sign + std::to_string(std::abs(offset)) + " h.]");
    }
    EXPECT_EQ(ZoneOffset(0), -12);
    EXPECT_EQ(ZoneOffset(24), 12);
}

TEST(ToLocalTime, ShiftsTheHourAcrossMidnightAndPassesTheRestThrough) {
    EXPECT_EQ(ToLocalTime("03:15:00", -5), "22:15:00");
    EXPECT_EQ(ToLocalTime("00:00:00", -12), "12:00:00");
    EXPECT_EQ(ToLocalTime("05:00:00", -5), "00:00:00");
    EXPECT_EQ(ToLocalTime("12:00:00", 12), "00:00:00");
    EXPECT_EQ(ToLocalTime("12:00:00 UTC", 0), "12:00:00");
}

TEST(QuerySpacing, HoldsBackAHostUntilFourSecondsAfterItsLatestContactRoundedUp) {
    using namespace std::chrono_literals;
    const QuerySpacing::Clock::time_point start{100s};
    QuerySpacing spacing;
    spacing.RecordContact("a", start);
    spacing.RecordContact("a", start - 2s);  // an older moment changes nothing
    EXPECT_EQ(spacing.WaitBefore("a", start + 3999999us), 1ms) << "rounded up, never down";
    EXPECT_EQ(spacing.WaitBefore("a", start + 4s), 0ms);
}

}  // namespace
}  // namespace brisendale
