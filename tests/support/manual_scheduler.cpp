#include "tests/support/manual_scheduler.h"

#include <functional>
#include <tuple>
#include <utility>

namespace brisendale {

class ManualScheduler::ManualAlarm : public Alarm {
  public:
    explicit ManualAlarm(ManualScheduler& scheduler) : scheduler_(scheduler) {
        scheduler_.alarms_.insert(this);
    }
    ~ManualAlarm() override { scheduler_.alarms_.erase(this); }

    void Start(std::chrono::milliseconds delay, std::function<void()> ring) override {
        due = scheduler_.now_ + delay;
        order = ++scheduler_.started_;
        this->ring = std::move(ring);
    }
    void Stop() override { ring = nullptr; }
    bool Active() const override { return ring != nullptr; }

    MonotonicTime due;
    std::uint64_t order = 0;
    std::function<void()> ring;

  private:
    ManualScheduler& scheduler_;
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
                (next == nullptr ||
                 std::tie(alarm->due, alarm->order) < std::tie(next->due, next->order)))
                next = alarm;
        }
        if (next == nullptr)
            break;
        now_ = next->due;
        const auto ring = std::exchange(next->ring, nullptr);
        ring();  // may start, stop or destroy alarms
    }
    now_ = until;
}

}  // namespace brisendale
