#include "tools/bench/event_loop_stall.h"

#include <arpa/inet.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>

#include "app/main_form.h"
#include "app/status_line.h"
#include "platform/net/tcp_daytime_transport.h"
#include "sync/qt_scheduler.h"
#include "tests/support/daytime_test_server.h"
#include "tests/support/namespace_run.h"
#include "tests/support/recording_clock.h"

namespace brisendale::bench {

namespace {

constexpr int kTickMs = 5;
constexpr int kBrokenStatus = 1;  // of the forked measure: its retrieval never ended

// Message boxes would wait for a click; the measure only reads the status line.
class QuietRuntime : public FormsRuntime {
  public:
    void ShowWarning(QWidget*, const QString&) override {}
    void EndProgram(int status) override { MarkEnded(status); }
};

struct Stall {
    double largestMs = 0;
    double elapsedMs = 0;
    bool ended = false;
    QString status;
};

// Shows the window, presses "Retrieve Atomic Time" and runs the event loop
// until the retrieval ends, with a 5 ms timer whose lateness is the stall.
Stall RetrieveInWindow(DaytimeTransport& transport, const BenchOptions& options) {
    const TempFolder config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
    QuietRuntime runtime;
    QtScheduler scheduler;
    RecordingClock clock;
    MainForm form(MainFormServices{
        runtime,
        SyncServices{
            transport, scheduler, clock, {}, std::chrono::milliseconds(options.replyDeadlineMs)}});
    form.startUp();
    form.showCentred();
    // The first paint lays out every text; it is not the retrieval's doing.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const auto* status = form.findChild<StatusLine*>(QStringLiteral("lblStatus"));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    const QString connecting = QString::fromUtf8(kConnectingStatus.data(),
                                                 static_cast<qsizetype>(kConnectingStatus.size()));

    Stall stall;
    QElapsedTimer clockSinceClick;
    clockSinceClick.start();
    qint64 lastTick = clockSinceClick.nsecsElapsed();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(kTickMs);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clockSinceClick.nsecsElapsed();
        stall.largestMs =
            std::max(stall.largestMs, static_cast<double>(now - lastTick) / 1e6 - kTickMs);
        lastTick = now;
    });
    ticker.start();
    // Far beyond the deadline: a retrieval still running then never ends.
    const qint64 limitMs = options.replyDeadlineMs + 10000;
    while (!(stall.ended = status->text() != connecting) && clockSinceClick.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    stall.elapsedMs = static_cast<double>(clockSinceClick.elapsed());
    stall.status = status->text();
    return stall;
}

bool Report(const std::string& what, const Stall& stall, const std::string& peer) {
    if (!stall.ended)
        return Broken(what + ": the retrieval had not ended after " +
                      Format("%.0f s", stall.elapsedMs / 1e3));
    Row(what, Format("%.1f ms", stall.largestMs),
        Format("a 5 ms timer's largest lateness; %s; the retrieval ended after %.2f s with \"",
               peer.c_str(), stall.elapsedMs / 1e3) +
            stall.status.toStdString() + "\"");
    return true;
}

}  // namespace

bool MeasureStallOnSilentServer(const BenchOptions& options) {
    DaytimeTestServer silent(DaytimeTestServer::NistLine(), DaytimeTestServer::Behaviour::Silent);
    TcpDaytimeTransport transport(silent.Port(), "127.0.0.1");
    return Report("Largest stall of the window's event loop, silent server",
                  RetrieveInWindow(transport, options),
                  Format("deadline %.0f s in the benchmark", options.replyDeadlineMs / 1e3));
}

bool MeasureStallOnUnresolvableName(const BenchOptions& options) {
    const std::string what = "Largest stall of the window's event loop, name that does not resolve";
    const TempFolder folder;
    const int resolverSeconds = options.shortRun ? 1 : 3;
    const std::filesystem::path resolvConf = folder.Path() / "resolv.conf";
    measure::detail::WriteText(resolvConf, "nameserver 127.0.0.1\noptions timeout:" +
                                               std::to_string(resolverSeconds) + " attempts:1\n");
    const pid_t child = fork();
    if (child == 0) {
        // A name server on this private loopback that never answers.
        const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
        sockaddr_in address{AF_INET, htons(53), {htonl(INADDR_LOOPBACK)}, {}};
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0 ||
            !measure::detail::WriteText("/proc/self/setgroups", "deny") ||
            !measure::detail::WriteText("/proc/self/uid_map", "0 " + uid + " 1") ||
            !measure::detail::WriteText("/proc/self/gid_map", "0 " + gid + " 1") ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(resolvConf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0 ||
            !measure::detail::BringLoopbackUp() ||
            bind(socket(AF_INET, SOCK_DGRAM, 0), reinterpret_cast<sockaddr*>(&address),
                 sizeof address) != 0)
            _exit(measure::kNoNamespaces);
        int argc = 1;
        char name[] = "brisendale_bench";
        char* argv[] = {name, nullptr};
        QApplication application(argc, argv);
        TcpDaytimeTransport transport(13, "brisendale-bench.invalid");
        const bool ended = Report(
            what, RetrieveInWindow(transport, options),
            Format("a name server that never answers (resolver time-out %d s)", resolverSeconds));
        std::fflush(stdout);
        _exit(ended ? 0 : kBrokenStatus);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == measure::kNoNamespaces) {
        Row(what, "n/a", "user namespaces are not available here");
        return true;
    }
    if (WIFSIGNALED(status))
        return Broken(what + ": the measuring process ended by signal " +
                      std::to_string(WTERMSIG(status)));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace brisendale::bench
