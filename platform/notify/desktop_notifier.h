// Telling the user something when no window is open: one small interface, one
// file per OS. Linux hands the notification to the desktop's notification
// server on the session bus; Windows shows nothing yet.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace brisendale {

// Plain text, shown under this program's name and icon.
struct Notification {
    std::string summary;  // one short line, e.g. "The clock was not set"
    std::string body;     // the details, e.g. the reason
};

class DesktopNotifier {
  public:
    virtual ~DesktopNotifier() = default;

    // Never blocks and never fails: `done` runs exactly once, from the event
    // loop (never before Notify returns), once the notification was handed to
    // the notification server or could not be (no session bus, no server, an
    // error, no answer in time), and no later than about 2 s after the call.
    // The notifier may be destroyed before then.
    virtual void Notify(const Notification& notification, std::function<void()> done) = 0;
};

// This system's notifier; needs a QCoreApplication for its event loop.
std::unique_ptr<DesktopNotifier> MakeDesktopNotifier();

}  // namespace brisendale
