#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "platform/clock/system_clock.h"
#include "platform/clock/system_clock_posix.h"

namespace brisendale {

namespace {

constexpr long kHalfSecondNs = 500'000'000;

std::string SystemReason(int error) {
    return std::strerror(error);
}

// IsSettable keeps the instant after the epoch and within time_t.
timespec ToTimespec(ClockInstant instant) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(instant);
    timespec result{};
    result.tv_sec = static_cast<std::time_t>(seconds.time_since_epoch().count());
    result.tv_nsec = static_cast<long>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(instant - seconds).count());
    return result;
}

class PosixClock : public SystemClock {
  public:
    std::optional<ClockRefusal> SetTime(ClockInstant instant) override {
        if (!IsSettable(instant)) {
            return NotSettableRefusal(instant);
        }
        const timespec target = ToTimespec(instant);
        if (clock_settime(CLOCK_REALTIME, &target) != 0) {
            const int error = errno;
            return ClockRefusal{SystemReason(error), error == EPERM};
        }
        return std::nullopt;
    }

    void SetLocalTimeOfDay(const TimeOfDay& time) override {
        const timespec target = LocalTimeOfDayToRealtime(time, std::time(nullptr));
        if (clock_settime(CLOCK_REALTIME, &target) != 0) {
            const int error = errno;
            throw ClockRefused(SystemReason(error), error == EPERM
                                                        ? ClockRefused::Cause::kNoPrivilege
                                                        : ClockRefused::Cause::kOther);
        }
    }
};

}  // namespace

timespec LocalTimeOfDayToRealtime(const TimeOfDay& time, std::time_t now) {
    if (!IsInRange(time)) {
        throw std::invalid_argument("time of day out of range");
    }
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        throw ClockRefused(SystemReason(errno));
    }
    local.tm_hour = time.hour;
    local.tm_min = time.minute;
    local.tm_sec = time.second;
    // The new time of day may lie on the other side of a daylight-saving
    // change from now, so let the C library decide which offset applies.
    local.tm_isdst = -1;
    errno = 0;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1) && errno != 0) {
        throw ClockRefused(SystemReason(errno));
    }
    timespec result{};
    result.tv_sec = seconds;
    result.tv_nsec = kHalfSecondNs;
    return result;
}

std::unique_ptr<SystemClock> MakeSystemClock() {
    return std::make_unique<PosixClock>();
}

}  // namespace brisendale
