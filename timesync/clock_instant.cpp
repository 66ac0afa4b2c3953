#include "timesync/clock_instant.h"

namespace brisendale {

ClockInstant ServerInstant(const TimeOfDay& utcTimeOfDay, ClockInstant clockReading) {
    using namespace std::chrono;
    const auto sinceMidnight = hours{utcTimeOfDay.hour} + minutes{utcTimeOfDay.minute} +
                               seconds{utcTimeOfDay.second} + milliseconds{500};
    const ClockInstant onReadingsDate = floor<days>(clockReading) + sinceMidnight;
    const auto ahead = onReadingsDate - clockReading;
    if (ahead > hours{12}) {
        return onReadingsDate - days{1};
    }
    if (ahead <= -hours{12}) {
        return onReadingsDate + days{1};
    }
    return onReadingsDate;
}

}  // namespace brisendale
