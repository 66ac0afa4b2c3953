// The real POSIX clock, tested without ever changing this machine's clock:
// the conversion is checked on its own, and the call to the clock only in a
// child process that has provably lost the right to set the time.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/clock/system_clock.h"
#include "platform/clock/system_clock_posix.h"

namespace brisendale {
namespace {

// Runs the test body under a given TZ and puts the old one back afterwards.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            old_ = old;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (old_) {
            setenv("TZ", old_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    std::optional<std::string> old_;
};

// Seconds since the epoch of a UTC date and time.
std::time_t Utc(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return timegm(&tm);
}

// The rules of Europe/London, written out so that no time zone files are needed.
constexpr const char* kLondon = "GMT0BST,M3.5.0/1,M10.5.0";

TEST(PosixClockConversion, KeepsTheLocalDateAndFollowsDaylightSaving) {
    struct Row {
        const char* name;
        std::time_t now;
        TimeOfDay shown;
        std::time_t expected;
    };
    const Row rows[] = {
        {"WinterIsUtc", Utc(2024, 1, 15, 10, 0, 0), {7, 0, 0}, Utc(2024, 1, 15, 7, 0, 0)},
        {"SummerIsOneHourAhead", Utc(2024, 7, 15, 10, 0, 0), {7, 0, 0}, Utc(2024, 7, 15, 6, 0, 0)},
        // 23:30 UTC is already the 16th in London; the local date is the one kept.
        {"LocalDateNotUtcDate",
         Utc(2024, 7, 15, 23, 30, 0),
         {23, 59, 59},
         Utc(2024, 7, 16, 22, 59, 59)},
        // Before the change on the morning of 27 October a later hour of the
        // same day is already back on GMT.
        {"AcrossTheAutumnChange",
         Utc(2024, 10, 27, 0, 30, 0),
         {12, 0, 0},
         Utc(2024, 10, 27, 12, 0, 0)},
        {"AcrossTheSpringChange",
         Utc(2024, 3, 31, 0, 30, 0),
         {12, 0, 0},
         Utc(2024, 3, 31, 11, 0, 0)},
    };
    const ScopedTimeZone zone(kLondon);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const timespec result = LocalTimeOfDayToRealtime(row.shown, row.now);
        EXPECT_EQ(result.tv_sec, row.expected);
        EXPECT_EQ(result.tv_nsec, 500'000'000);
    }
}

TEST(PosixClockConversion, RefusesATimeOutOfRange) {
    const std::time_t now = Utc(2024, 1, 15, 10, 0, 0);
    for (const TimeOfDay bad : {TimeOfDay{24, 0, 0}, TimeOfDay{-1, 0, 0}, TimeOfDay{0, 60, 0},
                                TimeOfDay{0, 0, 60}, TimeOfDay{0, 0, -1}}) {
        EXPECT_THROW(LocalTimeOfDayToRealtime(bad, now), std::invalid_argument);
    }
}

constexpr int kCapSysTime = 25;

// Whether bit 25 is set in the given line ("CapEff", "CapPrm") of
// /proc/self/status; empty when the line cannot be read.
std::optional<bool> HasCapSysTime(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            try {
                const unsigned long long mask =
                    std::stoull(line.substr(field.size() + 1), nullptr, 16);
                return (mask >> kCapSysTime) & 1U;
            } catch (const std::exception&) {
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

// Drops CAP_SYS_TIME from every set of this process. Returns true only when
// /proc/self/status confirms it is gone.
bool DropCapSysTime() {
    prctl(PR_CAPBSET_DROP, kCapSysTime, 0, 0, 0);
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    header.pid = 0;
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    const unsigned bit = 1U << kCapSysTime;
    data[0].effective &= ~bit;
    data[0].permitted &= ~bit;
    data[0].inheritable &= ~bit;
    if (syscall(SYS_capset, &header, data) != 0) {
        return false;
    }
    return HasCapSysTime("CapEff") == false && HasCapSysTime("CapPrm") == false;
}

TEST(PosixClock, RefusalWithoutTheRightComesBackWithTheSystemsReasonAsALackOfPrivilege) {
    constexpr int kSkipped = 77;
    constexpr int kRefused = 0;  // and marked as a lack of privilege
    constexpr int kNotRefused = 1;
    constexpr int kRefusedForAnotherCause = 2;
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeEnds[0]);
        if (!DropCapSysTime()) {
            _exit(kSkipped);  // never call the clock unless it provably cannot change
        }
        int outcome = kNotRefused;
        std::string reason;
        try {
            // The current time of day, so that even a broken setup would do
            // the least harm; the check above makes the call fail anyway.
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            MakeSystemClock()->SetLocalTimeOfDay({local.tm_hour, local.tm_min, local.tm_sec});
        } catch (const ClockRefused& refused) {
            outcome = refused.LacksPrivilege() ? kRefused : kRefusedForAnotherCause;
            reason = refused.what();
        } catch (...) {
        }
        (void)!write(pipeEnds[1], reason.data(), reason.size());
        close(pipeEnds[1]);
        _exit(outcome);
    }
    close(pipeEnds[1]);
    std::string reason;
    char buffer[256];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        reason.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kSkipped) {
        GTEST_SKIP() << "could not verify that CAP_SYS_TIME was dropped";
    }
    EXPECT_EQ(WEXITSTATUS(status), kRefused);
    EXPECT_EQ(reason, std::strerror(EPERM));
}

}  // namespace
}  // namespace brisendale
