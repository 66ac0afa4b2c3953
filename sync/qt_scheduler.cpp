#include "sync/qt_scheduler.h"

#include <QTimer>

#include <utility>

namespace brisendale {

namespace {

class QtAlarm : public Alarm {
  public:
    QtAlarm() {
        // A coarse timer may fire up to 5% early, which would cut a logon
        // delay or a reply deadline short.
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            // The call may start this alarm again or destroy it.
            const auto ring = std::move(ring_);
            ring_ = nullptr;
            ring();
        });
    }

    void Start(std::chrono::milliseconds delay, std::function<void()> ring) override {
        ring_ = std::move(ring);
        timer_.start(delay);
    }
    void Stop() override {
        timer_.stop();
        ring_ = nullptr;
    }
    bool Active() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
    std::function<void()> ring_;
};

}  // namespace

std::unique_ptr<Alarm> QtScheduler::MakeAlarm() {
    return std::make_unique<QtAlarm>();
}

}  // namespace brisendale
