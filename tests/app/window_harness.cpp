// The window for the accessibility test: every server on loopback here, the clock recording.
#include "app/main_form.h"
#include "platform/net/tcp_daytime_transport.h"
#include "platform/runtime/forms_runtime.h"
#include "sync/qt_scheduler.h"
#include "tests/support/daytime_test_server.h"
#include "tests/support/recording_clock.h"
#include "tests/support/temp_config_home.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    using namespace brisendale;
    QApplication application(argc, argv);
    testing::TempConfigHome configHome;
    DaytimeTestServer server;
    FormsRuntime runtime;
    RecordingClock clock;
    QtScheduler scheduler;
    TcpDaytimeTransport transport(server.Port(), "127.0.0.1");
    MainForm form(MainFormServices{runtime, SyncServices{transport, scheduler, clock, {}}});
    form.startUp();
    form.showCentred();
    return application.exec();
}
