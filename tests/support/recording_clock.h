// A clock that changes nothing real: it reads the time a test sets, remembers
// what it was asked to set, checks its input like the real clocks, refuses
// when told to, and reads an instant it took from then on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/clock/system_clock.h"

namespace brisendale {

class RecordingClock : public SystemClock {
  public:
    // The first reading: a fixed one, so that nothing depends on the real date.
    static constexpr ClockInstant kStart{std::chrono::sys_days{std::chrono::year{2024} / 3 / 10} +
                                         std::chrono::hours{12}};

    ClockInstant Now() const override { return now_; }
    void SetNow(ClockInstant now) { now_ = now; }
    void Advance(std::chrono::microseconds span) { now_ += span; }

    std::optional<ClockRefusal> SetTime(ClockInstant instant) override {
        asked_.push_back(instant);
        const auto refusal = IsSettable(instant) ? refusal_ : NotSettableRefusal(instant);
        if (!refusal)
            now_ = instant;
        return refusal;
    }
    // Every instant asked so far, accepted or refused.
    const std::vector<ClockInstant>& Asked() const { return asked_; }

    // From now on every request is refused for that reason.
    void RefuseWith(const std::string& reason, bool lacksPrivilege = false) {
        refusal_ = ClockRefusal{reason, lacksPrivilege};
    }

  private:
    ClockInstant now_ = kStart;
    std::vector<ClockInstant> asked_;
    std::optional<ClockRefusal> refusal_;
};

}  // namespace brisendale
