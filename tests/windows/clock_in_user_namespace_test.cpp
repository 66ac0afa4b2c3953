// The Windows clock against Wine's real SetLocalTime, which must refuse. Run
// only by run_in_user_namespace.sh: outside one, a call could move the clock.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {
namespace {

TEST(ClockInUserNamespace, RefusalComesBackAsClockRefusedWithReason) {
    const char* flag = std::getenv("BRISENDALE_IN_USER_NAMESPACE");
    if (flag == nullptr || std::string(flag) != "1")
        GTEST_SKIP() << "run by run_in_user_namespace.sh only: the real clock is not called";
    // The initial user namespace maps every user id: then the clock stays untouched.
    std::ifstream map("Z:\\proc\\self\\uid_map");
    std::string inside, outside, count;
    ASSERT_TRUE(map >> inside >> outside >> count) << "uid_map unreadable";
    ASSERT_NE(count, "4294967295") << "not inside a user namespace";

    const auto clock = MakeSystemClock();
    EXPECT_THROW(clock->SetLocalTimeOfDay(TimeOfDay{24, 0, 0}), std::invalid_argument);
    SYSTEMTIME before{};
    GetLocalTime(&before);
    // Twelve hours away: not a change too small to matter.
    try {
        clock->SetLocalTimeOfDay(TimeOfDay{(before.wHour + 12) % 24, 30, 0});
        FAIL() << "the clock was changed";
    } catch (const ClockRefused& refused) {
        EXPECT_STRNE(refused.what(), "");
    }
}

}  // namespace
}  // namespace brisendale
