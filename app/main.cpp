// Brisendale: sets the computer's clock from a public Daytime server.
#include "app/main_form.h"
#include "platform/clock/system_clock.h"
#include "platform/runtime/display.h"
#include "platform/runtime/forms_runtime.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    using namespace brisendale;

    // The logon run never shows its window and must work before a desktop
    // has a display; a platform the user chose is always honoured.
    const bool startupSwitch = argc == 2 && std::strcmp(argv[1], "-startup") == 0;
    const bool choseOffscreen =
        startupSwitch && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !DisplayAvailable();
    if (choseOffscreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    FormsRuntime runtime;
    std::unique_ptr<SystemClock> clock = MakeSystemClock();
    MainForm form(MainFormServices{.runtime = runtime, .clock = *clock});
    form.startUp();

    if (choseOffscreen && !form.logonRun) {
        std::fprintf(stderr, "brisendale: no display is available to show the window\n");
        return 1;
    }
    form.showIfInteractive();
    return application.exec();
}
