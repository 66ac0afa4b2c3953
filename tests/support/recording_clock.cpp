#include "tests/support/recording_clock.h"

#include <stdexcept>

namespace brisendale {

std::optional<ClockRefusal> RecordingClock::SetTime(ClockInstant instant) {
    asked_.push_back(instant);
    if (!IsSettable(instant)) {
        return NotSettableRefusal(instant);
    }
    if (refusal_) {
        return ClockRefusal{refusal_->what(), refusal_->LacksPrivilege()};
    }
    now_ = instant;
    return std::nullopt;
}

void RecordingClock::SetLocalTimeOfDay(const TimeOfDay& time) {
    ++calls_;
    if (!IsInRange(time)) {
        throw std::invalid_argument("time of day out of range");
    }
    if (refusal_) {
        throw *refusal_;
    }
    lastSet_ = time;
}

}  // namespace brisendale
