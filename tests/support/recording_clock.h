// A clock that changes nothing real: it reads the time a test sets, records what it was asked
// to set, checks its input like the real clocks, and refuses when told to.
#pragma once

#include <optional>
#include <vector>

#include "platform/clock/system_clock.h"

namespace brisendale {

struct RecordingClock : SystemClock {
    // The first reading: a fixed one, so that nothing depends on the real date.
    static constexpr ClockInstant kStart{std::chrono::sys_days{std::chrono::year{2024} / 3 / 10} +
                                         std::chrono::hours{12}};
    ClockInstant now = kStart;
    std::vector<ClockInstant> asked;      // every instant asked so far, accepted or refused
    std::optional<ClockRefusal> refusal;  // while set, every settable instant is refused so

    ClockInstant Now() const override { return now; }
    std::optional<ClockRefusal> SetTime(ClockInstant instant) override {
        asked.push_back(instant);
        const auto answer = IsSettable(instant) ? refusal : NotSettableRefusal(instant);
        if (!answer)
            now = instant;
        return answer;
    }
};

}  // namespace brisendale
