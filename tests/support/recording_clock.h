// A clock that changes nothing, remembers what it was asked to set, checks its
// input like the real clocks and refuses when told to.
#pragma once

#include <optional>
#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {

class RecordingClock : public SystemClock {
  public:
    void SetLocalTimeOfDay(const TimeOfDay& time) override;
    void RefuseWith(const std::string& reason,
                    ClockRefused::Cause cause = ClockRefused::Cause::kOther) {
        refusal_ = ClockRefused(reason, cause);
    }
    // Every call so far, accepted or refused; the last time accepted.
    int Calls() const { return calls_; }
    std::optional<TimeOfDay> LastSet() const { return lastSet_; }

  private:
    int calls_ = 0;
    std::optional<TimeOfDay> lastSet_;
    std::optional<ClockRefused> refusal_;
};

}  // namespace brisendale
