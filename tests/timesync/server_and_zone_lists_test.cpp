#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/runtime/runtime_error.h"
#include "timesync/query_spacing.h"
#include "timesync/server_table.h"
#include "timesync/zone_list.h"

namespace brisendale {
namespace {

TEST(ServerTable, EachEntryIsItsRowsHostAndLabelTheHostsAreDistinctAndNoIndexOutside) {
    ServerTable table;
    EXPECT_EQ(table.DisplayString(0), "[] ") << "empty until filled";
    table.Fill();
    std::set<std::string> hosts;
    for (std::int16_t row = 0; row < kServerCount; ++row) {
        EXPECT_FALSE(table.ServerHost[row].empty() || table.ServerLabel[row].empty()) << row;
        EXPECT_EQ(table.DisplayString(row),
                  "[" + table.ServerHost[row] + "] " + table.ServerLabel[row]);
        hosts.insert(table.ServerHost[row]);
    }
    EXPECT_EQ(hosts.size(), static_cast<std::size_t>(kServerCount));
    EXPECT_EQ(table.DisplayString(0), "[time-a-g.nist.gov] NIST, Gaithersburg, Maryland");
    for (const std::int16_t index : {-1, 12, -32768, 32767}) {
        EXPECT_THROW(table.ServerLabel[index] = "x", RuntimeError) << index;
        EXPECT_THROW((void)table.DisplayString(index), RuntimeError) << index;
    }
    EXPECT_EQ(table.ServerLabel[11], "Abovnet, San Jose, California")
        << "changed by a refused write";
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
    EXPECT_EQ(ZoneOffset(12), 0);
    EXPECT_EQ(ZoneOffset(24), 12);
}

TEST(ToLocalTime, ShiftsTheHourAcrossMidnightAndPassesTheRestThrough) {
    EXPECT_EQ(ToLocalTime("03:15:00", -5), "22:15:00");
    EXPECT_EQ(ToLocalTime("23:59:58", 1), "00:59:58");
    EXPECT_EQ(ToLocalTime("00:00:00", -12), "12:00:00");
    EXPECT_EQ(ToLocalTime("12:00:00", 12), "00:00:00");
    EXPECT_EQ(ToLocalTime("12:00:00 UTC", 0), "12:00:00");
}

TEST(QuerySpacing, HoldsBackOnlyTheSameHostUntilFourSecondsAfterItsLatestContact) {
    using namespace std::chrono_literals;
    const QuerySpacing::Clock::time_point start{100s};
    QuerySpacing spacing;
    spacing.RecordContact("a", start);
    spacing.RecordContact("a", start - 2s);  // an older moment changes nothing
    EXPECT_EQ(spacing.WaitBefore("a", start), 4000ms);
    EXPECT_EQ(spacing.WaitBefore("a", start + 3999999us), 1ms) << "rounded up, never down";
    EXPECT_EQ(spacing.WaitBefore("a", start + 4s), 0ms);
    EXPECT_EQ(spacing.WaitBefore("b", start), 0ms);
}

}  // namespace
}  // namespace brisendale
