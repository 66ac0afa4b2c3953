// The window on a real display for tests that look at it from outside (the
// accessibility tree, screenshots): every server row answers from a Daytime
// server inside this process on loopback, with the reply given as the first
// argument or a healthy NIST line; the settings live in a temporary folder
// and the clock only records.
#include "app/main_form.h"
#include "platform/runtime/forms_runtime.h"
#include "tests/support/daytime_test_server.h"
#include "tests/support/recording_clock.h"

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char* argv[]) {
    using namespace brisendale;
    QApplication application(argc, argv);
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    DaytimeTestServer server(argc > 1 ? QByteArray(argv[1]) : DaytimeTestServer::NistLine());

    FormsRuntime runtime;
    RecordingClock clock;
    MainForm form(
        MainFormServices{.runtime = runtime, .clock = clock, .daytimePort = server.Port()});
    form.startUp();
    // Every row, so that no choice of server ever leaves this machine.
    for (std::int16_t row = 0; row < kServerCount; ++row)
        form.servers.ServerHost[row] = "127.0.0.1";
    form.showIfInteractive();
    return application.exec();
}
