// The real POSIX clock, tested without ever changing this machine's clock:
// the conversion is checked on its own, and the call to the clock only in a
// child process that has provably lost the right to set the time.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/clock/system_clock.h"
#include "platform/clock/system_clock_posix.h"

namespace brisendale {
namespace {

std::time_t Utc(int year, unsigned month, unsigned day, int hour, int minute) {
    using namespace std::chrono;
    return system_clock::to_time_t(sys_days{std::chrono::year{year} / month / day} + hours{hour} +
                                   minutes{minute});
}

TEST(PosixClockConversion, KeepsTheLocalDateFollowsDaylightSavingAndRefusesOutOfRange) {
    struct Row {
        const char* name;
        std::time_t now;
        TimeOfDay shown;
        std::time_t expected;
    };
    const Row rows[] = {
        {"Winter", Utc(2024, 1, 15, 10, 0), {7, 0, 0}, Utc(2024, 1, 15, 7, 0)},
        {"Summer", Utc(2024, 7, 15, 10, 0), {7, 0, 0}, Utc(2024, 7, 15, 6, 0)},
        // 23:30 UTC is already the 16th in London; the local date is the one kept.
        {"LocalDate", Utc(2024, 7, 15, 23, 30), {23, 59, 59}, Utc(2024, 7, 16, 22, 59) + 59},
        // Before the change in the night a later hour of that day has the other offset.
        {"AutumnChange", Utc(2024, 10, 27, 0, 30), {12, 0, 0}, Utc(2024, 10, 27, 12, 0)},
        {"SpringChange", Utc(2024, 3, 31, 0, 30), {12, 0, 0}, Utc(2024, 3, 31, 11, 0)},
    };
    // Europe/London written out, so that no time zone files are needed. Nothing
    // else in this program depends on the zone.
    setenv("TZ", "GMT0BST,M3.5.0/1,M10.5.0", 1);
    tzset();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const timespec result = LocalTimeOfDayToRealtime(row.shown, row.now);
        EXPECT_EQ(result.tv_sec, row.expected);
        EXPECT_EQ(result.tv_nsec, 500'000'000);
    }
    for (const TimeOfDay bad : {TimeOfDay{24, 0, 0}, TimeOfDay{-1, 0, 0}, TimeOfDay{0, 60, 0},
                                TimeOfDay{0, 0, 60}, TimeOfDay{0, 0, -1}}) {
        EXPECT_THROW(LocalTimeOfDayToRealtime(bad, rows[0].now), std::invalid_argument);
    }
}

constexpr int kCapSysTime = 25;

// Whether /proc/self/status shows bit 25 clear in the given line ("CapEff");
// false when the line cannot be read.
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

// Drops CAP_SYS_TIME from every set of this process. Returns true only when
// /proc/self/status confirms it is gone.
bool DropCapSysTime() {
    prctl(PR_CAPBSET_DROP, kCapSysTime, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    const unsigned bit = 1U << kCapSysTime;
    data[0].effective &= ~bit;
    data[0].permitted &= ~bit;
    data[0].inheritable &= ~bit;
    return syscall(SYS_capset, &header, data) == 0 && StatusLacksCapSysTime("CapEff") &&
           StatusLacksCapSysTime("CapPrm");
}

TEST(PosixClock, RefusalWithoutTheRightComesBackWithTheSystemsReasonAsALackOfPrivilege) {
    constexpr int kSkipped = 77;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!DropCapSysTime()) {
            _exit(kSkipped);  // never call the clock unless it provably cannot change
        }
        try {
            // The current time of day, so that even a broken setup would do
            // the least harm; the check above makes the call fail anyway.
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            MakeSystemClock()->SetLocalTimeOfDay({local.tm_hour, local.tm_min, local.tm_sec});
        } catch (const ClockRefused& refused) {
            _exit(refused.LacksPrivilege() && std::string(refused.what()) == std::strerror(EPERM)
                      ? 0
                      : 2);  // refused, but not for the lack of the right or not saying so
        } catch (...) {
        }
        _exit(1);  // not refused
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kSkipped) {
        GTEST_SKIP() << "could not verify that CAP_SYS_TIME was dropped";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not refused, 2: refused without the right reason";
}

}  // namespace
}  // namespace brisendale
