// Brisendale: sets the computer's clock from a public Daytime server.
#include "app/main_form.h"
#include "platform/clock/desktop_clock.h"
#include "platform/runtime/display.h"
#include "platform/runtime/forms_runtime.h"
#include "settings/stored_settings.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kNoDisplay[] = "brisendale: no display is available to show the window\n";

QtMessageHandler qtMessageHandler = nullptr;

// Qt ends the process with abort() when no platform plugin can start, which
// is what happens without a display (or with a DISPLAY naming one that is
// gone). Its warnings before that still say which plugin failed and why.
void EndPlainlyWithoutDisplay(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (type != QtFatalMsg) {
        qtMessageHandler(type, context, message);
        return;
    }
    std::fputs(kNoDisplay, stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace brisendale;

    // The command line as the user gave it: QApplication takes the options it
    // knows (-reverse, -style, -platform ...) out of argv, and
    // "-startup -reverse" must not read as "-startup".
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString commandLine = JoinCommandLine(arguments);

    // Only the logon run itself may do without a display, so the platform is
    // chosen from what this run is, not from the display variables.
    const char* headless = HeadlessPlatformName();
    const bool headlessLogonRun =
        headless != nullptr && commandLine == QLatin1String("-startup") && ReadLogonEntryExists();
    if (headlessLogonRun)
        qputenv("QT_QPA_PLATFORM", headless);

    qtMessageHandler = qInstallMessageHandler(EndPlainlyWithoutDisplay);
    QApplication application(argc, argv);
    qInstallMessageHandler(qtMessageHandler);
    // Ties the window to the installed desktop entry and icon (the Wayland
    // app id, and the entry a desktop groups the window under).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brisendale.Brisendale"));

    FormsRuntime runtime(commandLine);
    std::unique_ptr<SystemClock> clock =
        MakeDesktopClock(QCoreApplication::applicationFilePath().toStdString());
    MainForm form(MainFormServices{.runtime = runtime, .clock = *clock});
    form.startUp();

    if (headlessLogonRun && !form.logonRun) {
        // The entry went away in between: a window is wanted after all, and
        // the headless platform cannot show it.
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    form.showIfInteractive();
    return application.exec();
}
