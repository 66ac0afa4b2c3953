// The instants a clock may take, and the real POSIX clock in a child that cannot set the time.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/clock/system_clock.h"

namespace brisendale {
namespace {

TEST(SettableInstants, LieStrictlyAfterTheEpochAndBefore2100OrTheEndOfTime_t) {
    using namespace std::chrono;
    const ClockInstant end = sizeof(std::time_t) < 8 ? ClockInstant{seconds{1LL << 31}}
                                                     : ClockInstant{sys_days{2100y / 1 / 1}};
    EXPECT_EQ(std::vector({IsSettable(ClockInstant{}), IsSettable(ClockInstant{1us}),
                           IsSettable(end - 1us), IsSettable(end)}),
              std::vector({false, true, true, false}));
}

// In a user namespace of its own a process has no right over the clock, else it must lack it.
bool CannotSetTheClock() {
    if (unshare(CLONE_NEWUSER) == 0)
        return true;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    const __u32 right = 1U << CAP_SYS_TIME;
    return syscall(SYS_capget, &header, data) == 0 && !(data[0].effective & right) &&
           !(data[0].permitted & right);
}

TEST(PosixClock, WithoutTheRightItRefusesAsALackOfPrivilegeAndNeverSendsAnUnsettableInstant) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!CannotSetTheClock())
            _exit(77);
        const auto clock = MakeSystemClock();
        // The current time, so that even a broken setup would do no harm.
        std::optional<ClockRefusal> refusal;
        clock->RequestTime(clock->Now(), Authorisation::kMustNotAskUser,
                           [&](const std::optional<ClockRefusal>& answer) { refusal = answer; });
        const bool refusedForWantOfTheRight =
            refusal && refusal->lacksPrivilege && refusal->reason == strerror(EPERM);
        const bool epochKeptBack = clock->SetTime(ClockInstant{}).value_or(ClockRefusal{}).reason ==
                                   NotSettableRefusal(ClockInstant{}).reason;
        _exit(!refusedForWantOfTheRight ? 1 : epochKeptBack ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "neither a user namespace nor a process without CAP_SYS_TIME";
    EXPECT_EQ(status, 0) << "exit status 1: not refused for want of the right, 2: the epoch "
                            "reached the system";
}

}  // namespace
}  // namespace brisendale
