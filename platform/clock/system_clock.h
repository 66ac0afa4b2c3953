// Setting the computer's clock: one small interface, one file per OS.
//
// The clock is set to an instant (ClockInstant, UTC): the system keeps UTC,
// and the local time it shows follows from its own zone. Every instant passes
// IsSettable before it reaches a system call; an instant that does not is
// refused by the clock itself and never reaches the system.

#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace brisendale {

// An instant in UTC: microseconds since 1970-01-01 00:00:00 UTC, leap seconds
// not counted, as every system clock counts.
using ClockInstant = std::chrono::sys_time<std::chrono::microseconds>;

// A time of day on the 24-hour clock: hour 0 to 23, minute 0 to 59, second 0
// to 59; a time server's is UTC.
struct TimeOfDay {
    int hour;
    int minute;
    int second;

    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// True when every field is within its range.
inline bool IsInRange(const TimeOfDay& time) {
    return time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59 &&
           time.second >= 0 && time.second <= 59;
}

// Whether every clock this program sets can take `instant`: strictly after
// 1970-01-01 00:00:00 UTC and before 2100-01-01 00:00:00 UTC, and where time_t
// has 32 bits, before 2038-01-19 03:14:08 UTC.
//   - clock_settime takes nothing before the epoch (nor before the time the
//     system booted) and nothing beyond its time_t: 2038 with 32 bits, some
//     time after 2200 with 64.
//   - systemd-timedated refuses an absolute time of 0 or less and hands the
//     rest to clock_settime.
//   - SetSystemTime takes the years 1601 to 30827.
// 2100 is a round bound inside all of them; no clock worth setting reads later.
bool IsSettable(ClockInstant instant);

// How a request to set the clock was refused. `reason` is the system's own
// text (e.g. "Operation not permitted") or says why the instant was not sent;
// `lacksPrivilege` is true when the process may not set the clock itself
// (EPERM, or the missing Windows privilege), so another way may still work.
struct ClockRefusal {
    std::string reason;
    bool lacksPrivilege = false;
};

// The refusal every clock gives for an instant that is not settable, worded once.
ClockRefusal NotSettableRefusal(ClockInstant instant);

// Whether a request to set the clock may ask someone for authorisation: the
// window may open a password dialog, the unattended logon run may not.
enum class Authorisation { kMayAskUser, kMustNotAskUser };

// Called exactly once with how a request ended: no refusal when the clock was set.
using ClockAnswer = std::function<void(const std::optional<ClockRefusal>& refusal)>;

class SystemClock {
  public:
    virtual ~SystemClock() = default;

    // What the clock reads now.
    virtual ClockInstant Now() const;

    // Sets the clock to `instant` by the process's own right. Returns no
    // refusal when the clock was set; an instant that is not settable is
    // refused (NotSettableRefusal) without reaching the system.
    virtual std::optional<ClockRefusal> SetTime(ClockInstant instant) = 0;

    // The same change, for callers that can wait: a clock that may ask the
    // system to set the time on its behalf (which can take as long as an
    // administrator takes to type a password) calls `done` later, from the
    // event loop. This one calls done(SetTime(instant)) before it returns.
    virtual void RequestTime(ClockInstant instant, Authorisation authorisation,
                             const ClockAnswer& done);
};

// The real clock of this computer.
std::unique_ptr<SystemClock> MakeSystemClock();

}  // namespace brisendale
