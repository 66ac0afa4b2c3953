// The unattended run at logon: no window, no display, no font.
//
// It drives the same engine as the window's buttons, in the same steps: after
// the stored delay it retrieves the time from the stored server, sets the
// clock and ends, with status 0 when the clock was set and 1 with the reason
// on standard error otherwise. Where the network is not up yet it tries again
// for a while (sync/late_network_retry.h), one line on standard error for each
// attempt that failed. As nobody is watching, a run that ends without setting
// the clock also says so in one desktop notification. It saves nothing and
// leaves the logon entry alone.
#pragma once

#include <QObject>

#include <chrono>

#include "platform/notify/desktop_notifier.h"
#include "sync/late_network_retry.h"
#include "sync/sync_session.h"

namespace brisendale {

struct LogonChoices {
    int serverRow;
    int zoneIndex;
    std::chrono::seconds delay;
};

class LogonRun : public QObject {
    Q_OBJECT

  public:
    LogonRun(SyncServices services, DesktopNotifier& notifier, LogonChoices choices,
             QObject* parent = nullptr);

    // Starts the wait; finished() tells how the run ended.
    void Start();

    // Ends the run at once without touching the clock, for `reason`: the
    // stored choices cannot be known.
    void Refuse(const std::string& reason);

    // The computer's network has come up.
    void OnNetworkUp() { retry_.OnNetworkUp(); }

  signals:
    // An attempt found no network: from now on, news of the network matters.
    void networkAwaited();
    void finished(int status);

  private:
    void Succeed(const ClockSetReport& report);
    void Fail(const SyncFailure& failure);
    void EndUnset(const std::string& line, const std::string& reason);
    // Ends the run once; later calls change nothing.
    bool Ending();

    SyncServices services_;
    DesktopNotifier& notifier_;
    LogonChoices choices_;
    SyncSession session_;
    LateNetworkRetry retry_;
    std::unique_ptr<Alarm> delay_;
    bool ended_ = false;
};

// The whole logon run as a program: QCoreApplication, the stored settings,
// the real clock and network. Returns the exit status.
int RunAtLogon(int& argc, char** argv);

}  // namespace brisendale
