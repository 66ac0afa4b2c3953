#include "sync/computer_zone.h"

#include <QDateTime>
#include <QTimeZone>

#include "timesync/zone_list.h"

namespace brisendale {

int ComputerOffsetSeconds(ClockInstant instant) {
    const auto ms =
        std::chrono::floor<std::chrono::milliseconds>(instant).time_since_epoch().count();
    return QTimeZone::systemTimeZone().offsetFromUtc(
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms), Qt::UTC));
}

int ZoneIndexOfComputer(int fallback) {
    const int offset = ComputerOffsetSeconds(
        std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now()));
    if (offset % 3600 != 0) {
        return fallback;
    }
    const int index = offset / 3600 - ZoneOffset(0);  // index 12 is Greenwich
    return index >= 0 && index < kZoneCount ? index : fallback;
}

}  // namespace brisendale
