#include "timesync/query_spacing.h"

#include <gtest/gtest.h>

namespace brisendale {
namespace {

using namespace std::chrono_literals;

TEST(QuerySpacing, HoldsBackOnlyTheSameHostUntilFourSecondsAfterItsLatestContact) {
    const QuerySpacing::Clock::time_point start{100s};
    QuerySpacing spacing;
    spacing.RecordContact("a", start - 1s);
    spacing.RecordContact("a", start);       // the exchange ended a second later
    spacing.RecordContact("a", start - 2s);  // an older moment changes nothing
    EXPECT_EQ(spacing.WaitBefore("a", start), 4000ms);
    EXPECT_EQ(spacing.WaitBefore("a", start + 1s), 3000ms);
    EXPECT_EQ(spacing.WaitBefore("a", start + 3999999us), 1ms) << "rounded up, never down";
    EXPECT_EQ(spacing.WaitBefore("a", start + 4s), 0ms);
    EXPECT_EQ(spacing.WaitBefore("b", start), 0ms);
}

}  // namespace
}  // namespace brisendale
