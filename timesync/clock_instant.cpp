#include "timesync/clock_instant.h"

namespace brisendale {

ClockInstant ServerInstant(const TimeOfDay& utc, ClockInstant reading) {
    using namespace std::chrono;
    const auto day = floor<days>(reading);
    const auto candidate =
        day + hours(utc.hour) + minutes(utc.minute) + seconds(utc.second) + milliseconds(500);
    ClockInstant best = candidate;
    for (const auto shift : {days(-1), days(1)}) {
        const ClockInstant other = candidate + shift;
        if (abs(other - reading) < abs(best - reading))
            best = other;
    }
    return best;
}

}  // namespace brisendale
