// Time as the engine sees it: a monotonic clock and alarms set on it.
//
// The program runs on Qt's event loop (QtScheduler); tests use a scheduler
// whose time only moves when they say, so a 15-second deadline or a 4-second
// spacing is checked without waiting for it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace brisendale {

using MonotonicClock = std::chrono::steady_clock;
using MonotonicTime = MonotonicClock::time_point;

// One pending call at most: starting it again replaces the pending one, and a
// stopped or destroyed alarm never rings.
class Alarm {
  public:
    virtual ~Alarm() = default;
    // Calls `ring` once, from the event loop, `delay` from now; never sooner.
    virtual void Start(std::chrono::milliseconds delay, std::function<void()> ring) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};

class Scheduler {
  public:
    virtual ~Scheduler() = default;
    virtual MonotonicTime Now() const = 0;
    virtual std::unique_ptr<Alarm> MakeAlarm() = 0;
};

}  // namespace brisendale
