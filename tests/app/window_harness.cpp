// The window on a real display for tests that look at it from outside (the
// accessibility tree, screenshots): every server row answers from a Daytime
// server inside this process on loopback, the settings live in a
// temporary folder and the clock only records.
//
// Usage: brisendale_window_harness [line|garbage|unhealthy|close|silent|refused|nohost]
#include "app/main_form.h"
#include "platform/runtime/forms_runtime.h"
#include "tests/support/daytime_test_server.h"
#include "tests/support/recording_clock.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[]) {
    using namespace brisendale;
    using Behaviour = DaytimeTestServer::Behaviour;
    QApplication application(argc, argv);
    const QString answer = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("line");

    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    // Health digit 2: the server says its time is wrong.
    const QByteArray unhealthy("\n61380 26-12-06 12:00:00 00 0 2 812.3 UTC(NIST) *\n");
    DaytimeTestServer server(answer == "garbage"     ? QByteArray(40, 'x')
                             : answer == "unhealthy" ? unhealthy
                                                     : DaytimeTestServer::NistLine(),
                             answer == "close"    ? Behaviour::CloseAtOnce
                             : answer == "silent" ? Behaviour::Silent
                                                  : Behaviour::SendLine);
    const quint16 port = answer == "refused" ? 1 : server.Port();

    FormsRuntime runtime;
    RecordingClock clock;
    MainForm form(MainFormServices{
        .runtime = runtime, .clock = clock, .daytimePort = port, .replyDeadlineMs = 3000});
    form.startUp();
    // Every row, so that no choice of server ever leaves this machine.
    for (std::int16_t row = 0; row < kServerCount; ++row)
        form.servers.ServerHost[row] = answer == "nohost" ? "" : "127.0.0.1";
    form.showIfInteractive();
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}
