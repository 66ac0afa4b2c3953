#include "tools/bench/clock_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <thread>

#include "app/logon_run.h"
#include "platform/net/tcp_daytime_transport.h"
#include "sync/qt_scheduler.h"
#include "tests/support/namespace_run.h"
#include "tests/support/recording_clock.h"

namespace brisendale::bench {

namespace {

using namespace std::chrono;

ClockInstant TrueNow() {
    return floor<microseconds>(system_clock::now());
}

// Reads this machine's clock as the program's clock does, and instead of
// setting the clock notes how far the instant asked for is from the true
// time: the server below keeps this machine's time.
class ReferenceClock : public RecordingClock {
  public:
    ClockInstant Now() const override { return TrueNow(); }
    std::optional<ClockRefusal> SetTime(ClockInstant instant) override {
        errorsMs.push_back(duration<double, std::milli>(instant - TrueNow()).count());
        return RecordingClock::SetTime(instant);
    }
    std::vector<double> errorsMs;
};

class SilentNotifier : public DesktopNotifier {
  public:
    void Notify(const Notification&, std::function<void()> done) override {
        QTimer::singleShot(0, std::move(done));
    }
};

// A reply holds whole seconds, so the error depends on when in the second the
// server is asked: the runs start at phases spread evenly over it.
void WaitForPhase(milliseconds phase) {
    const auto now = system_clock::now();
    auto wait = phase - duration_cast<milliseconds>(now - floor<seconds>(now));
    if (wait < milliseconds::zero())
        wait += seconds(1);
    std::this_thread::sleep_for(wait);
}

// One logon run without its delay, against `port`; its exit status.
int RunOnce(quint16 port, ReferenceClock& clock) {
    QtScheduler scheduler;
    TcpDaytimeTransport transport(port, "127.0.0.1");
    SilentNotifier notifier;
    LogonRun run(SyncServices{transport, scheduler, clock, {}}, notifier,
                 LogonChoices{0, 12, seconds(0)});
    QEventLoop loop;
    int status = -1;
    QObject::connect(&run, &LogonRun::finished, &loop, [&](int ended) {
        status = ended;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    run.Start();
    loop.exec();
    return status;
}

}  // namespace

bool MeasureClockError(const BenchOptions& options) {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            socket->write(QByteArray::fromStdString(measure::detail::NistLineNow()));
            socket->disconnectFromHost();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });

    // Each run says how it ended on standard error; the table is enough.
    std::fflush(stderr);
    const int savedError = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    dup2(null, STDERR_FILENO);
    close(null);
    ReferenceClock clock;
    std::vector<int> unexpected;
    for (int run = 0; run < options.clockRuns; ++run) {
        WaitForPhase(milliseconds((1000 * run + 500) / options.clockRuns));
        if (const int status = RunOnce(server.serverPort(), clock); status != 0)
            unexpected.push_back(status);
    }
    dup2(savedError, STDERR_FILENO);
    close(savedError);

    if (!unexpected.empty() || clock.errorsMs.size() != static_cast<std::size_t>(options.clockRuns))
        return Broken("a logon run against a server that sends the time did not set the clock (" +
                      std::to_string(unexpected.size()) + " of " +
                      std::to_string(options.clockRuns) + " ended otherwise)");
    const Summary spread = Summarise(clock.errorsMs);
    const double mean = std::accumulate(clock.errorsMs.begin(), clock.errorsMs.end(), 0.0) /
                        static_cast<double>(clock.errorsMs.size());
    Row("Clock set minus the true time, at the moment of setting",
        Format("mean %+.0f ms, largest %.0f ms", mean,
               std::max(std::fabs(spread.min), std::fabs(spread.max))),
        Format("%d logon run%s without delay, started evenly over the second: from %+.0f to "
               "%+.0f ms; the reply holds whole seconds, the clock is set half a second on",
               options.clockRuns, options.clockRuns == 1 ? "" : "s", spread.min, spread.max));
    return true;
}

}  // namespace brisendale::bench
