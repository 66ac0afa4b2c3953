// The Windows clock against Wine's SetSystemTime, which must refuse. Only in
// the user namespace that wine-tests.sh runs Wine in can no process change the
// real clock; anywhere else the test does not call it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {
namespace {

TEST(WindowsClock, RefusalReachesTheCallerAndAnUnsettableInstantNeverReachesTheSystem) {
    // The initial user namespace maps every user id to itself: "0 0 4294967295".
    std::ifstream map("Z:\\proc\\self\\uid_map");
    std::string count;
    ASSERT_TRUE(map >> count >> count >> count) << "uid_map unreadable";
    if (count == "4294967295")
        GTEST_SKIP() << "not in a user namespace, where the clock could really change";
    const auto clock = MakeSystemClock();
    const auto refusal = clock->SetTime(clock->Now() + std::chrono::hours{12});
    ASSERT_TRUE(refusal.has_value()) << "the clock was changed";
    EXPECT_TRUE(refusal->lacksPrivilege) << refusal->reason;
    EXPECT_EQ(clock->SetTime(ClockInstant{}).value_or(ClockRefusal{}).reason,
              NotSettableRefusal(ClockInstant{}).reason);
}

}  // namespace
}  // namespace brisendale
