#include "tests/support/recording_clock.h"

namespace brisendale {

std::optional<ClockRefusal> RecordingClock::SetTime(ClockInstant instant) {
    asked_.push_back(instant);
    if (!IsSettable(instant)) {
        return NotSettableRefusal(instant);
    }
    if (refusal_) {
        return refusal_;
    }
    now_ = instant;
    return std::nullopt;
}

}  // namespace brisendale
