// The unattended run at logon: no window, no display, no font.
//
// It drives the same engine as the window's buttons, in the same steps: after
// the stored delay it retrieves the time from the stored server, sets the
// clock and ends, with status 0 when the clock was set and 1 with the reason
// on standard error otherwise. It saves nothing and leaves the logon entry
// alone.
#pragma once

#include <QObject>

#include <chrono>

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
    LogonRun(SyncServices services, LogonChoices choices, QObject* parent = nullptr);

    // Starts the wait; finished() tells how the run ended.
    void Start();

  signals:
    void finished(int status);

  private:
    void End(int status, const std::string& line);

    SyncServices services_;
    LogonChoices choices_;
    SyncSession session_;
    std::unique_ptr<Alarm> delay_;
    bool ended_ = false;
};

// The whole logon run as a program: QCoreApplication, the stored settings,
// the real clock and network. Returns the exit status.
int RunAtLogon(int& argc, char** argv);

}  // namespace brisendale
