// Time that moves only in Advance, where alarms ring in the order they come due.
#pragma once

#include <chrono>
#include <cstdint>
#include <set>

#include "sync/scheduler.h"

namespace brisendale {

class ManualScheduler : public Scheduler {
  public:
    MonotonicTime Now() const override { return now_; }
    std::unique_ptr<Alarm> MakeAlarm() override;
    void Advance(std::chrono::milliseconds step);

  private:
    struct ManualAlarm;
    MonotonicTime now_{std::chrono::hours(1)};
    std::uint64_t started_ = 0;  // orders alarms due at the same moment
    std::set<ManualAlarm*> alarms_;
};

}  // namespace brisendale
