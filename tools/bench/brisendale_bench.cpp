// make bench: how long the logon run takes and what it costs, against a bare
// client as the floor; how long the window's event loop can stall while a
// retrieval waits; and how far from the reference the set clock would be.
// Prints a table; nothing here fails on a slow machine.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "app/main_form.h"
#include "platform/clock/system_clock_posix.h"
#include "platform/runtime/forms_runtime.h"
#include "settings/stored_settings.h"
#include "tests/support/daytime_test_server.h"
#include "tests/support/namespace_run.h"
#include "tests/support/recording_clock.h"

namespace brisendale {
namespace {

namespace fs = std::filesystem;
using measure::ServerBehaviour;

constexpr int kProcessRuns = 5;
constexpr int kClockRuns = 20;

struct Summary {
    double median = 0, min = 0, max = 0;
};

Summary Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

void Row(const std::string& what, const std::string& figure, const std::string& note) {
    std::printf("| %-52s | %-26s | %s |\n", what.c_str(), figure.c_str(), note.c_str());
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

fs::path MakeTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "brisendale-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        std::abort();
    return pattern;
}

// ---------------------------------------------------------- process runs

// The logon run (delay 1) and the bare client, each in fresh namespaces with
// a server that sends the current time at once.
void MeasureProcesses() {
    const fs::path folder = MakeTempFolder();
    ServerTable servers;
    servers.Fill();
    const fs::path hosts = folder / "hosts";
    measure::detail::WriteText(hosts, "127.0.0.1 localhost " + servers.ServerHost[0] + "\n");
    const std::string saved = qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    SaveSettings(SettingsToSave{.serverIndex = 0,
                                .zoneIndex = 12,
                                .delayText = "1",
                                .startupCheckValue = 1,
                                .appFolder = "/usr/bin",
                                .exeName = "brisendale"});
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);

    struct Kind {
        std::string label;
        std::vector<std::string> argv;
        int expectedStatus;
        double delay;
    };
    const Kind kinds[] = {
        {"logon run, delay 1 (brisendale -startup)", {BRISENDALE_EXECUTABLE, "-startup"}, 1, 1.0},
        {"bare client (connect + read, C)", {BARE_CLIENT_EXECUTABLE, servers.ServerHost[0]}, 0, 0},
    };
    for (const Kind& kind : kinds) {
        std::vector<double> seconds;
        long peakKb = 0;
        int unexpected = 0;
        for (int i = 0; i < kProcessRuns; ++i) {
            const auto run = measure::WaitForRun(
                measure::StartInNamespace(kind.argv, folder, hosts, ServerBehaviour::SendLine), 30);
            if (run.status == measure::kNoNamespaces) {
                Row(kind.label, "n/a", "user namespaces are not available here");
                fs::remove_all(folder);
                return;
            }
            if (run.status != kind.expectedStatus)  // -1 when killed at its bound
                ++unexpected;
            seconds.push_back(run.seconds);
            peakKb = std::max(peakKb, run.maxRssKb);
        }
        const Summary wall = Summarise(seconds);
        const std::string note =
            Format("%.0f runs; peak memory %.1f MB", kProcessRuns, peakKb / 1024.0) +
            (unexpected ? Format("; %.0f ended unexpectedly", unexpected) : "");
        Row(kind.label + ", wall time",
            Format("%.3f s (%.3f to %.3f)", wall.median, wall.min, wall.max), note);
        if (kind.delay > 0) {
            Row(kind.label + ", overhead over the delay",
                Format("%.0f ms", (wall.median - kind.delay) * 1000),
                "median wall time minus the 1 s delay; the clock change is refused in the "
                "namespace");
        }
    }
    fs::remove_all(folder);
}

// ---------------------------------------------------------- in-process runs

class BenchRuntime : public FormsRuntime {
  public:
    int endStatus = -1;
    void ShowWarning(QWidget*, const QString&) override {}
    void EndProgram(int status) override { endStatus = status; }
    QString CommandLine() const override { return {}; }
};

// Runs the event loop until `done` or `limitMs`, with a 5 ms timer that
// records how late each of its ticks came. Returns the largest lateness in ms.
template <class Done>
double LargestStall(Done done, int limitMs, double& elapsedMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    double worst = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, (now - last) / 1e6 - 5.0);
        last = now;
    });
    ticker.start();
    while (!done() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    elapsedMs = static_cast<double>(clock.elapsed());
    return worst;
}

// Presses "Retrieve Atomic Time" with the selected row pointing at `host` and
// reports the largest stall of the event loop until the retrieval ends.
void MeasureStall(const std::string& label, const std::string& host, quint16 port) {
    const fs::path folder = MakeTempFolder();
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.string()));
    BenchRuntime runtime;
    RecordingClock clock;
    MainForm form(MainFormServices{
        .runtime = runtime, .clock = clock, .daytimePort = port, .replyDeadlineMs = 5000});
    form.startUp();
    const auto* serverList = form.findChild<QComboBox*>(QStringLiteral("cboServer"));
    const auto* status = form.findChild<QLabel*>(QStringLiteral("lblStatus"));
    form.servers.ServerHost[serverList->currentIndex()] = host;
    form.retrieveTime();
    double elapsedMs = 0;
    const double stall =
        LargestStall([&] { return status->text().startsWith(QStringLiteral("Status: Winsock")); },
                     30000, elapsedMs);
    Row(label, Format("%.1f ms", stall),
        Format("5 ms timer; the retrieval ended after %.2f s with \"", elapsedMs / 1000) +
            status->text().toStdString() + "\"");
    fs::remove_all(folder);
}

void MeasureSilentServer() {
    DaytimeTestServer silent(DaytimeTestServer::NistLine(), DaytimeTestServer::Behaviour::Silent);
    MeasureStall("event loop stall, silent server", "127.0.0.1", silent.Port());
}

// A name lookup that hangs needs a name server that never answers: a child
// process in namespaces of its own, whose /etc/resolv.conf names a silent
// port 53 on its loopback, measures it with its own QApplication.
void MeasureUnresolvableName(int argc, char** argv) {
    const fs::path folder = MakeTempFolder();
    const fs::path resolvConf = folder / "resolv.conf";
    measure::detail::WriteText(resolvConf, "nameserver 127.0.0.1\noptions timeout:3 attempts:1\n");
    const pid_t child = fork();
    if (child == 0) {
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0)
            _exit(measure::kNoNamespaces);
        measure::detail::WriteText("/proc/self/setgroups", "deny");
        measure::detail::WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        measure::detail::WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(resolvConf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0 ||
            !measure::detail::BringLoopbackUp()) {
            _exit(measure::kNoNamespaces);
        }
        const int silent = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            _exit(measure::kNoNamespaces);
        QApplication application(argc, argv);
        MeasureStall("event loop stall, name that does not resolve", "brisendale-bench.invalid",
                     13);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::remove_all(folder);
    if (WIFEXITED(status) && WEXITSTATUS(status) == measure::kNoNamespaces) {
        Row("event loop stall, name that does not resolve", "n/a",
            "user namespaces are not available here");
    }
}

// A clock that changes nothing: it works out the instant the real POSIX clock
// would be given, and how far that is from the true time at that moment.
class MeasuringClock : public SystemClock {
  public:
    std::vector<double> errorsMs;
    std::optional<ClockRefusal> SetTime(ClockInstant instant) override {
        errorsMs.push_back(std::chrono::duration<double, std::milli>(instant - Now()).count());
        return std::nullopt;
    }
    void SetLocalTimeOfDay(const TimeOfDay& time) override {
        const auto now = std::chrono::system_clock::now();
        const timespec set =
            LocalTimeOfDayToRealtime(time, std::chrono::system_clock::to_time_t(now));
        const double setMs = set.tv_sec * 1e3 + set.tv_nsec / 1e6;
        const double nowMs =
            std::chrono::duration<double, std::milli>(now.time_since_epoch()).count();
        errorsMs.push_back(setMs - nowMs);
    }
};

// The unattended path without its delay: press "Retrieve Atomic Time" in code,
// and the reply sets the clock at once. The server sends the current UTC time.
void MeasureClockError() {
    const fs::path folder = MakeTempFolder();
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.string()));
    QTcpServer reference;
    reference.listen(QHostAddress::LocalHost);
    QObject::connect(&reference, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = reference.nextPendingConnection()) {
            socket->write(QByteArray::fromStdString(measure::detail::NistLineNow()));
            socket->disconnectFromHost();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });

    MeasuringClock clock;
    for (int run = 0; run < kClockRuns; ++run) {
        BenchRuntime runtime;
        MainForm form(MainFormServices{
            .runtime = runtime, .clock = clock, .daytimePort = reference.serverPort()});
        form.startUp();
        auto* zoneList = form.findChild<QComboBox*>(QStringLiteral("cboGMT"));
        zoneList->setCurrentIndex(12);  // GMT +0: the bench runs with TZ=UTC
        const int row = form.findChild<QComboBox*>(QStringLiteral("cboServer"))->currentIndex();
        form.servers.ServerHost[row] = "127.0.0.1";
        form.logonRun = true;
        form.retrieveTime();
        double elapsedMs = 0;
        LargestStall([&] { return runtime.endStatus != -1; }, 20000, elapsedMs);
        // Spread the runs over the phases of the second.
        std::this_thread::sleep_for(std::chrono::milliseconds(137 + 61 * run));
    }
    fs::remove_all(folder);
    if (clock.errorsMs.empty()) {
        Row("set clock minus reference", "n/a", "no run reached the clock");
        return;
    }
    std::vector<double> absolute;
    for (double e : clock.errorsMs)
        absolute.push_back(std::fabs(e));
    const double mean = std::accumulate(clock.errorsMs.begin(), clock.errorsMs.end(), 0.0) /
                        static_cast<double>(clock.errorsMs.size());
    const Summary spread = Summarise(clock.errorsMs);
    Row("set clock minus reference, at the moment of setting",
        Format("mean %+.0f ms, largest %.0f ms", mean,
               *std::max_element(absolute.begin(), absolute.end())),
        Format("%.0f runs, from %+.0f to %+.0f ms; whole-second reply, set at +0.5 s",
               static_cast<double>(clock.errorsMs.size()), spread.min, spread.max));
}

}  // namespace
}  // namespace brisendale

int main(int argc, char** argv) {
    // Whole hours from Greenwich only: UTC makes zone +0 the right one here.
    setenv("TZ", "UTC", 1);
    tzset();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const auto runtimeFolder = brisendale::MakeTempFolder();
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtimeFolder.string()));
    std::printf("| %-52s | %-26s | %s |\n", "Measure", "Figure", "Notes");
    std::printf("|%s|%s|%s|\n", std::string(54, '-').c_str(), std::string(28, '-').c_str(), "---");
    std::fflush(stdout);
    // The parts that fork come before this process starts Qt's threads.
    brisendale::MeasureProcesses();
    std::fflush(stdout);
    brisendale::MeasureUnresolvableName(argc, argv);
    std::fflush(stdout);
    QApplication application(argc, argv);
    brisendale::MeasureSilentServer();
    std::fflush(stdout);
    // The unattended path reports on standard error each time; the table is enough.
    const int savedError = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    brisendale::MeasureClockError();
    dup2(savedError, STDERR_FILENO);
    std::filesystem::remove_all(runtimeFolder);
    return 0;
}
