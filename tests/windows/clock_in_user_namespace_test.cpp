// The Windows clock against the real SetLocalTime of Wine, where the change
// must be refused. Run only by run_in_user_namespace.sh: this process is root
// on a shared machine, and outside a user namespace a successful call would
// move that machine's clock.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {
namespace {

// The initial user namespace maps every user id to itself: "0 0 4294967295".
// True only when the kernel shows a narrower mapping for this process.
bool KernelShowsUserNamespace(std::string& mapping) {
    std::ifstream map("Z:\\proc\\self\\uid_map");
    std::string inside;
    std::string outside;
    std::string count;
    if (!(map >> inside >> outside >> count)) {
        mapping = "unreadable";
        return false;
    }
    mapping = inside + " " + outside + " " + count;
    return count != "4294967295";
}

class ClockInUserNamespace : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* flag = std::getenv("BRISENDALE_IN_USER_NAMESPACE");
        if (flag == nullptr || std::string(flag) != "1") {
            GTEST_SKIP() << "run by run_in_user_namespace.sh only: the real clock is not called";
        }
        // The wrapper says we are inside; if the kernel disagrees, something
        // is badly wrong, and the clock must stay untouched.
        if (!KernelShowsUserNamespace(safety_)) {
            FAIL() << "not inside a user namespace (uid_map " << safety_ << ")";
        }
    }
    std::string safety_;
};

TEST_F(ClockInUserNamespace, RefusalComesBackAsClockRefusedWithReason) {
    SYSTEMTIME before{};
    GetLocalTime(&before);
    // Twelve hours away from now, so that no implementation can take it for
    // a change too small to matter.
    const TimeOfDay target{(before.wHour + 12) % 24, 30, 0};

    auto clock = MakeSystemClock();
    try {
        clock->SetLocalTimeOfDay(target);
        FAIL() << "the clock was changed (uid_map " << safety_ << ")";
    } catch (const ClockRefused& refused) {
        EXPECT_STRNE(refused.what(), "");
        std::cout << "refused: " << refused.what() << '\n';
    }

    SYSTEMTIME after{};
    GetLocalTime(&after);
    const int minutesApart =
        ((after.wHour * 60 + after.wMinute) - (before.wHour * 60 + before.wMinute) + 1440) % 1440;
    EXPECT_LE(minutesApart, 1) << "the local time of day moved";
}

TEST_F(ClockInUserNamespace, TimeOutOfRangeIsRejectedBeforeTheSystemIsAsked) {
    auto clock = MakeSystemClock();
    EXPECT_THROW(clock->SetLocalTimeOfDay(TimeOfDay{24, 0, 0}), std::invalid_argument);
    EXPECT_THROW(clock->SetLocalTimeOfDay(TimeOfDay{12, 60, 0}), std::invalid_argument);
    EXPECT_THROW(clock->SetLocalTimeOfDay(TimeOfDay{12, 0, -1}), std::invalid_argument);
}

}  // namespace
}  // namespace brisendale
