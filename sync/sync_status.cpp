#include "sync/sync_status.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace brisendale {

namespace {

constexpr int kSecondsPerDay = 24 * 60 * 60;

// "GMT -5 h", "GMT +0", "GMT +5:30 h": the zone list's way of writing an
// offset, with minutes where a zone has them.
std::string OffsetText(int offsetSeconds) {
    if (offsetSeconds == 0) {
        return "GMT +0";
    }
    const int minutes = std::abs(offsetSeconds) / 60;
    char text[32];
    if (minutes % 60 == 0) {
        std::snprintf(text, sizeof text, "GMT %c%d h", offsetSeconds < 0 ? '-' : '+', minutes / 60);
    } else {
        std::snprintf(text, sizeof text, "GMT %c%d:%02d h", offsetSeconds < 0 ? '-' : '+',
                      minutes / 60, minutes % 60);
    }
    return text;
}

// The time of day that `instant` is at `offsetSeconds` east of Greenwich.
std::string TimeOfDayText(ClockInstant instant, int offsetSeconds) {
    const auto seconds =
        std::chrono::floor<std::chrono::seconds>(instant).time_since_epoch().count() +
        offsetSeconds;
    const auto ofDay =
        static_cast<int>(((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", ofDay / 3600, ofDay / 60 % 60, ofDay % 60);
    return text;
}

// Said only when the computer's zone is not the chosen one, so that a user who
// sees the taskbar differ from the shown time knows why.
std::string ComputerZoneNote(const ClockSetReport& report) {
    if (report.computerOffsetSeconds == report.chosenOffsetSeconds) {
        return {};
    }
    return "; local time " + TimeOfDayText(report.instant, report.computerOffsetSeconds) + " (" +
           OffsetText(report.computerOffsetSeconds) + ")";
}

}  // namespace

std::string Reason(const SyncFailure& failure) {
    switch (failure.kind) {
        case FailureKind::kNotStarted:
            return "Error Occurred.";
        case FailureKind::kServerRetired:
            return "This server was retired by its operator; use another one.";
        case FailureKind::kNoConnection:
        case FailureKind::kConnectionFailed:
            return "Winsock Error: " + failure.detail;
        case FailureKind::kInvalidReply:
            return "Invalid reply from server.";
        case FailureKind::kServerUnhealthy:
            return "Server reports its time may be wrong; try another server.";
        case FailureKind::kClockRefused:
            return "The system time could not be set: " + failure.detail;
    }
    return {};
}

std::string StatusText(const SyncFailure& failure) {
    // A refused clock is told in a message box, not on the status line.
    if (failure.kind == FailureKind::kClockRefused)
        return Reason(failure);
    return "Status: " + Reason(failure);
}

bool MayBeLateNetwork(const SyncFailure& failure) {
    return failure.kind == FailureKind::kNoConnection;
}

std::string StatusText(const ClockSetReport& report) {
    return "Status: System time set" + ComputerZoneNote(report) + ".";
}

std::string LogonSummary(const ClockSetReport& report) {
    const auto seconds = std::llround(std::chrono::duration<double>(report.correction).count());
    std::string off;
    if (seconds == 0) {
        off = "it was already right to the second";
    } else {
        off = "it was about " + std::to_string(std::llabs(seconds)) + " s " +
              (seconds > 0 ? "behind" : "ahead");
    }
    return "clock set to " + report.shownTime + " from " + report.host + "; " + off +
           ComputerZoneNote(report);
}

}  // namespace brisendale
