#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/clock/system_clock.h"

namespace brisendale {

namespace {

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
};

}  // namespace

std::unique_ptr<SystemClock> MakeSystemClock() {
    return std::make_unique<PosixClock>();
}

}  // namespace brisendale
