// Setting the computer's clock: one small interface, one file per OS.
//
// Only the local time of day is set; the date stays what the system says it
// is today. The callers check the value before they get here; the
// implementations check it once more, as nothing absurd may reach the clock.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace brisendale {

// A local (not UTC) time of day on the 24-hour clock:
// hour 0 to 23, minute 0 to 59, second 0 to 59.
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

// The system refused to change the clock, most often because the process
// lacks the right to. what() is the system's own reason, e.g.
// "Operation not permitted".
class ClockRefused : public std::runtime_error {
  public:
    enum class Cause {
        kOther,
        kNoPrivilege,  // the process may not set the clock itself (EPERM)
    };

    explicit ClockRefused(const std::string& reason, Cause cause = Cause::kOther)
        : std::runtime_error(reason), cause_(cause) {}

    bool LacksPrivilege() const { return cause_ == Cause::kNoPrivilege; }

  private:
    Cause cause_;
};

// Whether a request to set the clock may ask someone for authorisation: the
// window may open a password dialog, the unattended logon run may not.
enum class Authorisation { kMayAskUser, kMustNotAskUser };

// Called exactly once with how a request ended: no refusal when the clock was set.
using ClockRequestDone = std::function<void(const std::optional<ClockRefused>& refusal)>;

// An instant on the UTC time line, since 1970-01-01 00:00:00 UTC.
using ClockInstant = std::chrono::sys_time<std::chrono::microseconds>;

// The system did not let the clock be set; `reason` is its own words.
struct ClockRefusal {
    std::string reason;
    bool lacksPrivilege = false;
};

class SystemClock {
  public:
    virtual ~SystemClock() = default;

    // PROVISIONAL (replaced by the clock layer's own version at merge).
    virtual ClockInstant Now() const {
        return std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
    }
    virtual void RequestTime(ClockInstant, Authorisation,
                             const std::function<void(const std::optional<ClockRefusal>&)>& done) {
        done(ClockRefusal{"not yet", false});
    }

    // Sets the clock to `time` on the current local date, with the sub-second
    // part at half a second: a Daytime reply cuts the time down to whole
    // seconds, so the true time lies somewhere in the following second and its
    // middle halves the largest error. Throws std::invalid_argument for a
    // time outside its ranges (the clock is then not touched) and ClockRefused
    // when the system says no.
    virtual void SetLocalTimeOfDay(const TimeOfDay& time) = 0;

    // The same change, for callers that can wait: a clock that may ask the
    // system to set the time on its behalf (which can take as long as an
    // administrator takes to type a password) calls `done` later, from the
    // event loop. This one sets the clock by the process's own right and calls
    // `done` before it returns. A time out of range throws
    // std::invalid_argument and `done` is never called.
    virtual void RequestLocalTimeOfDay(const TimeOfDay& time, Authorisation authorisation,
                                       const ClockRequestDone& done);
};

inline void SystemClock::RequestLocalTimeOfDay(const TimeOfDay& time, Authorisation,
                                               const ClockRequestDone& done) {
    try {
        SetLocalTimeOfDay(time);
    } catch (const ClockRefused& refusal) {
        done(refusal);
        return;
    }
    done(std::nullopt);
}

// The real clock of this computer.
std::unique_ptr<SystemClock> MakeSystemClock();

}  // namespace brisendale
