#include "timesync/query_spacing.h"

#include <gtest/gtest.h>

namespace brisendale {
namespace {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

const QuerySpacing::Clock::time_point kStart{100s};

TEST(QuerySpacing, HoldsBackOnlyTheSameHostWithinFourSecondsOfItsLastContact) {
    struct Row {
        const char* name;
        const char* host;
        QuerySpacing::Clock::duration sinceContact;
        milliseconds wait;
    };
    const Row rows[] = {
        {"AtOnce", "a.example", 0s, 4000ms},
        {"OneSecondLater", "a.example", 1s, 3000ms},
        {"RoundedUpNotDown", "a.example", 3999999us, 1ms},
        {"ExactlyFourSeconds", "a.example", 4s, 0ms},
        {"Later", "a.example", 60s, 0ms},
        {"OtherHost", "b.example", 0s, 0ms},
    };
    QuerySpacing spacing;
    spacing.RecordContact("a.example", kStart);
    for (const Row& row : rows) {
        EXPECT_EQ(spacing.WaitBefore(row.host, kStart + row.sinceContact), row.wait) << row.name;
    }
}

TEST(QuerySpacing, CountsFromTheLatestContact) {
    QuerySpacing spacing;
    spacing.RecordContact("a.example", kStart);
    spacing.RecordContact("a.example", kStart + 2s);  // the exchange ended two seconds later
    spacing.RecordContact("a.example", kStart + 1s);  // an older moment changes nothing
    EXPECT_EQ(spacing.WaitBefore("a.example", kStart + 3s), 3000ms);
}

}  // namespace
}  // namespace brisendale
