// How a synchronisation went, as values, and the one place that words them.
//
// The engine reports a failure as a kind and a detail (a socket's description,
// the system's reason for refusing the clock); the window shows StatusText on
// its status line or in a message box, the logon run writes it on standard
// error. No other code words these.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock/system_clock.h"

namespace brisendale {

enum class FailureKind {
    kNotStarted,        // no server to ask (no row selected)
    kServerRetired,     // the row's operator took the service down; never contacted
    kNoConnection,      // no connection could be made: no name, no route, refused,
                        // or none before the deadline; the network may not be up yet
    kConnectionFailed,  // connected, but no whole reply came: reset, closed, timed out
    kInvalidReply,      // a reply without a valid time of day where NIST puts it
    kServerUnhealthy,   // the server itself says its time may be wrong
    kClockRefused,      // the system did not let the clock be set
};

struct SyncFailure {
    FailureKind kind;
    std::string detail;  // the socket's description or the system's reason; may be empty
};

// What went wrong, in a sentence: the body of the logon run's notification.
std::string Reason(const SyncFailure& failure);

// What the window shows for a failure: on the status line, or for a refused
// clock in a message box. The logon run writes the same text.
std::string StatusText(const SyncFailure& failure);

// Whether the failure came before any reply could: the only kind a later
// attempt, once the network is up, may mend.
bool MayBeLateNetwork(const SyncFailure& failure);

inline constexpr std::string_view kConnectingStatus = "Status: Connecting to server...";
inline constexpr std::string_view kReceivedStatus = "Status: Atomic time successfully received.";
inline constexpr std::string_view kWaitingForAuthorisationStatus =
    "Status: Waiting for authorisation...";

// What became of a request to set the clock that the system granted.
struct ClockSetReport {
    std::string host;           // the server the time came from
    std::string shownTime;      // HH:MM:SS in the zone the user chose
    int chosenOffsetSeconds;    // that zone's offset east of Greenwich
    int computerOffsetSeconds;  // the computer's own offset at the instant set
    ClockInstant instant;       // what the clock was set to
    // The instant set minus the clock's reading just before: positive when
    // the clock was behind.
    std::chrono::microseconds correction;
};

// The status line once the clock is set; when the computer's own zone is not
// the chosen one, it also says how the computer shows the time.
std::string StatusText(const ClockSetReport& report);

// The logon run's line on standard error once it has set the clock: the time,
// the server, and how far the clock was off.
std::string LogonSummary(const ClockSetReport& report);

}  // namespace brisendale
