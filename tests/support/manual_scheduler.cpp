#include "tests/support/manual_scheduler.h"

#include <functional>
#include <tuple>
#include <utility>

namespace brisendale {

struct ManualScheduler::ManualAlarm : Alarm {
    explicit ManualAlarm(ManualScheduler& owner) : scheduler(owner) {
        scheduler.alarms_.insert(this);
    }
    ~ManualAlarm() override { scheduler.alarms_.erase(this); }
    void Start(std::chrono::milliseconds delay, std::function<void()> call) override {
        std::tie(due, order, ring) = std::tuple(scheduler.now_ + delay, ++scheduler.started_, call);
    }
    void Stop() override { ring = nullptr; }
    bool Active() const override { return ring != nullptr; }

    ManualScheduler& scheduler;
    MonotonicTime due;
    std::uint64_t order = 0;
    std::function<void()> ring;
};

std::unique_ptr<Alarm> ManualScheduler::MakeAlarm() {
    return std::make_unique<ManualAlarm>(*this);
}

void ManualScheduler::Advance(std::chrono::milliseconds step) {
    const MonotonicTime until = now_ + step;
    for (;;) {
        ManualAlarm* next = nullptr;
        for (ManualAlarm* alarm : alarms_) {
            if (alarm->Active() && alarm->due <= until &&
                (!next || std::tie(alarm->due, alarm->order) < std::tie(next->due, next->order)))
                next = alarm;
        }
        if (next == nullptr)
            break;
        now_ = next->due;
        std::exchange(next->ring, nullptr)();  // may start, stop or destroy alarms
    }
    now_ = until;
}

}  // namespace brisendale
