#include "tests/support/recording_clock.h"

#include <stdexcept>

namespace brisendale {

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
