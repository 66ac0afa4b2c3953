// Setting the clock the way Linux desktops' date and time settings do: a
// process that may not set the clock itself asks systemd-timedated on the
// system bus, and polkit decides, asking for an administrator's password
// where its rules say so. Linux only; Qt D-Bus.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {

struct TimedatedOptions {
    // The executable, for the setcap advice where timedated cannot be asked;
    // a path that is empty or not valid UTF-8 gets advice without a command.
    std::string programPath;
    // A polkit dialog may stay open for minutes; no request waits longer than this.
    std::chrono::milliseconds answerBound = std::chrono::minutes(2);
};

class TimedatedClock : public SystemClock {
  public:
    TimedatedClock(std::unique_ptr<SystemClock> direct, TimedatedOptions options);

    // The direct clock's.
    ClockInstant Now() const override;

    // By the process's own right only, through the direct clock.
    std::optional<ClockRefusal> SetTime(ClockInstant instant) override;

    // The direct clock first, as a process with CAP_SYS_TIME needs nobody's
    // leave; when it is refused for want of that right, asks timedated on the
    // system bus (as DBUS_SYSTEM_BUS_ADDRESS names it, or the default one),
    // and `done` runs from the event loop once timedated has answered or the
    // bound has passed. Which process holds the right is judged by the
    // refusal alone: in a user namespace the capability is there and still
    // does not reach the real clock. Timedated is given `instant` itself
    // (absolute microseconds since the epoch, UTC). Once timedated was tried,
    // a refusal never has lacksPrivilege: no other way is left.
    void RequestTime(ClockInstant instant, Authorisation authorisation,
                     const ClockAnswer& done) override;

  private:
    std::unique_ptr<SystemClock> direct_;
    TimedatedOptions options_;
};

}  // namespace brisendale
