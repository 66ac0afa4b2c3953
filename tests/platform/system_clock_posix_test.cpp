// The instants a clock may be given, and the real POSIX clock, called only in
// a child that provably cannot set the time.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/clock/system_clock.h"

namespace brisendale {
namespace {

constexpr int kCapSysTime = 25;

// Whether /proc/self/status shows the bit clear in `field`; false if unreadable.
bool StatusLacksCapSysTime(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            const char* digits = line.c_str() + field.size() + 1;
            char* end = nullptr;
            const unsigned long long mask = std::strtoull(digits, &end, 16);
            return end != digits && *end == '\0' && ((mask >> kCapSysTime) & 1U) == 0;
        }
    }
    return false;
}

// True only when /proc/self/status confirms CAP_SYS_TIME is gone.
bool DropCapSysTime() {
    prctl(PR_CAPBSET_DROP, kCapSysTime, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    for (__u32* set : {&data[0].effective, &data[0].permitted, &data[0].inheritable}) {
        *set &= ~(1U << kCapSysTime);
    }
    return syscall(SYS_capset, &header, data) == 0 && StatusLacksCapSysTime("CapEff") &&
           StatusLacksCapSysTime("CapPrm");
}

TEST(SettableInstants, LieStrictlyAfterTheEpochAndBefore2100OrTheEndOfTime_t) {
    using namespace std::chrono;
    const ClockInstant end = sizeof(std::time_t) < 8 ? ClockInstant{seconds{1LL << 31}}
                                                     : ClockInstant{sys_days{2100y / 1 / 1}};
    EXPECT_EQ(std::vector({IsSettable(ClockInstant{}), IsSettable(ClockInstant{1us}),
                           IsSettable(end - 1us), IsSettable(end)}),
              std::vector({false, true, true, false}));
}

TEST(PosixClock, WithoutTheRightItRefusesAsALackOfPrivilegeAndNeverSendsAnUnsettableInstant) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!DropCapSysTime()) {
            _exit(77);  // never call the clock unless it provably cannot change
        }
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
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "could not verify that CAP_SYS_TIME was dropped";
    }
    EXPECT_EQ(status, 0) << "exit status 1: not refused for want of the right, 2: the epoch "
                            "reached the system";
}

}  // namespace
}  // namespace brisendale
