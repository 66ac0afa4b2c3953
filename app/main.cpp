// Brisendale: sets the computer's clock from a public Daytime server.
#include "app/logon_run.h"
#include "app/start_mode.h"
#include "app/window_run.h"
#include "settings/stored_settings.h"

#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[]) {
    using namespace brisendale;

    // The command line as the user gave it, before Qt takes the options it
    // knows (-reverse, -style, ...) out of argv: "-startup -reverse" must not
    // read as "-startup".
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString commandLine = JoinCommandLine(arguments);

    switch (ChooseStartMode(commandLine, ReadLogonEntryExists())) {
        case StartMode::kHelp:
            std::fputs(UsageText().toLocal8Bit().constData(), stdout);
            return 0;
        case StartMode::kVersion:
            std::puts("brisendale " BRISENDALE_VERSION);
            return 0;
        case StartMode::kLogonRun:
            return RunAtLogon(argc, argv);
        case StartMode::kWindow:
            break;
    }
    return RunWindow(argc, argv, commandLine);
}
