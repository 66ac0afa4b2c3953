// A clock that changes nothing and remembers what it was asked to set.
//
// It is a complete implementation, not a mock: it checks its input like the
// real clocks and can be told to refuse the way a system without the right to
// change the time does. Tests use it, and so can a run without privileges.
#pragma once

#include <optional>
#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {

class RecordingClock : public SystemClock {
  public:
    // Records `time` as the clock's new time of day, or throws ClockRefused
    // with the reason given to RefuseWith (the recorded value then stays).
    // A time out of range throws std::invalid_argument, as the real clocks do.
    void SetLocalTimeOfDay(const TimeOfDay& time) override;

    // From now on every call is refused with `reason`.
    void RefuseWith(std::string reason, ClockRefused::Cause cause = ClockRefused::Cause::kOther);
    // From now on calls are accepted again.
    void Accept();

    // Every call so far, accepted or refused.
    int Calls() const { return calls_; }
    // The last time of day accepted; empty while none was.
    std::optional<TimeOfDay> LastSet() const { return lastSet_; }

  private:
    int calls_ = 0;
    std::optional<TimeOfDay> lastSet_;
    std::optional<ClockRefused> refusal_;
};

}  // namespace brisendale
