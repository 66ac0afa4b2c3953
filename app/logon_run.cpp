#include "app/logon_run.h"

#include <QCoreApplication>

#include <cstdio>
#include <utility>

#include "platform/clock/desktop_clock.h"
#include "platform/net/tcp_daytime_transport.h"
#include "settings/stored_settings.h"
#include "sync/qt_scheduler.h"

namespace brisendale {

LogonRun::LogonRun(SyncServices services, LogonChoices choices, QObject* parent)
    : QObject(parent),
      services_(services),
      choices_(choices),
      session_(std::move(services)),
      delay_(services_.scheduler.MakeAlarm()) {
    connect(&session_, &SyncSession::retrieved, this,
            [this] { session_.SetClock(Authorisation::kMustNotAskUser); });
    connect(&session_, &SyncSession::retrievalFailed, this,
            [this](const SyncFailure& failure) { End(1, StatusText(failure)); });
    connect(&session_, &SyncSession::clockRefused, this,
            [this](const SyncFailure& failure) { End(1, StatusText(failure)); });
    connect(&session_, &SyncSession::clockSet, this,
            [this](const ClockSetReport& report) { End(0, LogonSummary(report)); });
}

void LogonRun::Start() {
    // Nobody can answer a password dialog now, and the desktop may still be
    // coming up: the retrieval waits the delay the user chose.
    delay_->Start(choices_.delay,
                  [this] { session_.Retrieve(choices_.serverRow, choices_.zoneIndex); });
}

void LogonRun::End(int status, const std::string& line) {
    if (ended_)
        return;
    ended_ = true;
    session_.Cancel();
    // One line, so a log of logon runs keeps one entry per run.
    std::fprintf(stderr, "brisendale: %s\n",
                 QString::fromStdString(line).simplified().toLocal8Bit().constData());
    std::fflush(stderr);
    emit finished(status);
}

int RunAtLogon(int& argc, char** argv) {
    QCoreApplication application(argc, argv);
    QtScheduler scheduler;
    TcpDaytimeTransport transport;
    const std::unique_ptr<SystemClock> clock =
        MakeDesktopClock(QCoreApplication::applicationFilePath().toStdString());
    LogonRun run(
        SyncServices{transport, scheduler, *clock, {}},
        LogonChoices{ReadServerIndex(), ReadZoneIndex(), std::chrono::seconds(ReadDelay())});
    QObject::connect(&run, &LogonRun::finished, &application, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    run.Start();
    return application.exec();
}

}  // namespace brisendale
