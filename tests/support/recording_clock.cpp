#include "tests/support/recording_clock.h"

#include <stdexcept>
#include <utility>

namespace brisendale {

void RecordingClock::SetLocalTimeOfDay(const TimeOfDay& time) {
    ++calls_;
    if (!IsInRange(time)) {
        throw std::invalid_argument("time of day out of range");
    }
    if (refusal_) {
        throw ClockRefused(*refusal_);
    }
    lastSet_ = time;
}

void RecordingClock::RefuseWith(std::string reason) {
    refusal_ = std::move(reason);
}

void RecordingClock::Accept() {
    refusal_.reset();
}

}  // namespace brisendale
