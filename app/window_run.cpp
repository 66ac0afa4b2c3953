#include "app/window_run.h"

#include "app/main_form.h"
#include "platform/clock/desktop_clock.h"
#include "platform/net/tcp_daytime_transport.h"
#include "platform/runtime/forms_runtime.h"
#include "platform/runtime/program_file.h"
#include "sync/qt_scheduler.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace brisendale {

namespace {

QtMessageHandler qtMessageHandler = nullptr;
bool startupSwitchGiven = false;

// Qt ends the process with abort() when no platform plugin can start, which
// is what happens without a display (or with a DISPLAY naming one that is
// gone). Its warnings before that still say which plugin failed and why.
void EndPlainlyWithoutDisplay(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (type != QtFatalMsg) {
        qtMessageHandler(type, context, message);
        return;
    }
    std::fputs("brisendale: no display is available to show the window\n", stderr);
    if (startupSwitchGiven) {
        // The switch alone does nothing without the logon entry; say so, as
        // the user may have meant the logon run.
        std::fputs(
            "brisendale: -startup runs the clock update only while synchronising at "
            "logon is on; tick it in the window first\n",
            stderr);
    }
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

int RunWindow(int& argc, char** argv, const QString& commandLine) {
    startupSwitchGiven = commandLine == QLatin1String("-startup");
    qtMessageHandler = qInstallMessageHandler(EndPlainlyWithoutDisplay);
    QApplication application(argc, argv);
    qInstallMessageHandler(qtMessageHandler);
    // Ties the window to the installed desktop entry and icon (the Wayland
    // app id, and the entry a desktop groups the window under).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brisendale.Brisendale"));

    FormsRuntime runtime;
    QtScheduler scheduler;
    TcpDaytimeTransport transport;
    const std::unique_ptr<SystemClock> clock = MakeDesktopClock(ThisProgramFile().path);
    MainForm form(MainFormServices{runtime, SyncServices{transport, scheduler, *clock, {}}});
    form.startUp();
    form.showCentred();
    return application.exec();
}

}  // namespace brisendale
