// The window on a real display for the accessibility test: every server row is
// a Daytime server in this process on loopback; the settings are temporary and
// the clock only records.
#include "app/main_form.h"
#include "platform/runtime/forms_runtime.h"
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
    MainForm form(MainFormServices{runtime, clock, server.Port()});
    form.startUp();
    for (std::int16_t row = 0; row < kServerCount; ++row)
        form.servers.ServerHost[row] = "127.0.0.1";
    form.showIfInteractive();
    return application.exec();
}
