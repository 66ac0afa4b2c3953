// The scheduler of the running program: steady_clock and Qt's event loop.
#pragma once

#include "sync/scheduler.h"

namespace brisendale {

class QtScheduler : public Scheduler {
  public:
    MonotonicTime Now() const override { return MonotonicClock::now(); }
    std::unique_ptr<Alarm> MakeAlarm() override;
};

}  // namespace brisendale
