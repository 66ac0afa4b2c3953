#include "app/logon_run.h"

#include <QCoreApplication>

#include <cstdio>
#include <utility>

#include "platform/clock/desktop_clock.h"
#include "platform/net/network_watch.h"
#include "platform/net/tcp_daytime_transport.h"
#include "platform/notify/desktop_notifier.h"
#include "platform/runtime/program_file.h"
#include "settings/stored_settings.h"
#include "sync/qt_scheduler.h"

namespace brisendale {

namespace {

// One line each, so that a log of logon runs reads line by line.
void Say(const std::string& line) {
    std::fprintf(stderr, "brisendale: %s\n",
                 QString::fromStdString(line).simplified().toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

LogonRun::LogonRun(SyncServices services, DesktopNotifier& notifier, LogonChoices choices,
                   QObject* parent)
    : QObject(parent),
      services_(services),
      notifier_(notifier),
      choices_(choices),
      session_(std::move(services)),
      retry_(session_, services_.scheduler),
      delay_(services_.scheduler.MakeAlarm()) {
    connect(&session_, &SyncSession::retrieved, this,
            [this] { session_.SetClock(Authorisation::kMustNotAskUser); });
    connect(&retry_, &LateNetworkRetry::attemptFailed, this,
            [this](int attempt, const SyncFailure& failure, std::chrono::seconds nextIn) {
                // So that the journal shows what happened while the network
                // was missing.
                Say("attempt " + std::to_string(attempt) + " failed: " + failure.detail +
                    "; next in " + std::to_string(nextIn.count()) + " s");
                if (attempt == 1)
                    emit networkAwaited();
            });
    connect(&retry_, &LateNetworkRetry::gaveUp, this, &LogonRun::Fail);
    connect(&session_, &SyncSession::clockRefused, this, &LogonRun::Fail);
    connect(&session_, &SyncSession::clockSet, this, &LogonRun::Succeed);
}

void LogonRun::Start() {
    // Nobody can answer a password dialog now, and the desktop may still be
    // coming up: the retrieval waits the delay the user chose.
    delay_->Start(choices_.delay, [this] { retry_.Start(choices_.serverRow, choices_.zoneIndex); });
}

bool LogonRun::Ending() {
    if (ended_)
        return false;
    ended_ = true;
    session_.Cancel();
    return true;
}

void LogonRun::Succeed(const ClockSetReport& report) {
    if (!Ending())
        return;
    Say(LogonSummary(report));
    emit finished(0);
}

void LogonRun::Fail(const SyncFailure& failure) {
    EndUnset(StatusText(failure), Reason(failure));
}

void LogonRun::Refuse(const std::string& reason) {
    EndUnset(reason, reason);
}

void LogonRun::EndUnset(const std::string& line, const std::string& reason) {
    if (!Ending())
        return;
    Say(line);
    // The run may end unseen before the desktop is up; the notification
    // waits in the desktop's list.
    notifier_.Notify(Notification{"The clock was not set", reason}, [this] { emit finished(1); });
}

int RunAtLogon(int& argc, char** argv) {
    QCoreApplication application(argc, argv);
    QtScheduler scheduler;
    TcpDaytimeTransport transport;
    const std::unique_ptr<SystemClock> clock = MakeDesktopClock(ThisProgramFile().path);
    const std::unique_ptr<DesktopNotifier> notifier = MakeDesktopNotifier();
    // The zone only changes the time shown in the summary line.
    const LoadedSettings stored = LoadSettings(7);
    LogonRun run(
        SyncServices{transport, scheduler, *clock, {}}, *notifier,
        LogonChoices{stored.serverIndex, stored.zoneIndex, std::chrono::seconds(stored.delay)});
    QObject::connect(&run, &LogonRun::finished, &application, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    // Loaded only once it matters: most logon runs find the network up.
    QObject::connect(&run, &LogonRun::networkAwaited, &run, [&run] {
        auto* watch = new NetworkWatch(&run);
        QObject::connect(watch, &NetworkWatch::cameUp, &run, &LogonRun::OnNetworkUp);
    });
    // Defaults stand in for choices that cannot be read; the clock is not set
    // from them.
    if (stored.unreadableStore)
        run.Refuse(DescribeUnreadableAtLogon(*stored.unreadableStore));
    else
        run.Start();
    return application.exec();
}

}  // namespace brisendale
