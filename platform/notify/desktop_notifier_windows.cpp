// Windows shows no notification yet: the reason reaches standard error only.
#include "platform/notify/desktop_notifier.h"

#include <QTimer>
#include <utility>

namespace brisendale {

namespace {

class SilentNotifier : public DesktopNotifier {
  public:
    // `done` from the event loop all the same, so that callers see one behaviour.
    void Notify(const Notification&, std::function<void()> done) override {
        QTimer::singleShot(0, std::move(done));
    }
};

}  // namespace

std::unique_ptr<DesktopNotifier> MakeDesktopNotifier() {
    return std::make_unique<SilentNotifier>();
}

}  // namespace brisendale
