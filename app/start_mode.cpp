#include "app/start_mode.h"

#include "settings/settings_location.h"

namespace brisendale {

QString JoinCommandLine(const QStringList& argumentsWithProgram) {
    return argumentsWithProgram.mid(1).join(QLatin1Char(' '));
}

StartMode ChooseStartMode(const QString& commandLine, bool logonEntryExists) {
    if (commandLine == QLatin1String("--help") || commandLine == QLatin1String("-h"))
        return StartMode::kHelp;
    if (commandLine == QLatin1String("--version"))
        return StartMode::kVersion;
    if (commandLine == QLatin1String("-startup") && logonEntryExists)
        return StartMode::kLogonRun;
    return StartMode::kWindow;
}

QString UsageText() {
    return QStringLiteral(
               "Usage: brisendale            open the window\n"
               "       brisendale -startup   the run at logon: wait the stored delay, set the\n"
               "                             clock from the stored server and exit (only while\n"
               "                             synchronising at logon is on)\n"
               "       brisendale --version  print the version\n"
               "\n") +
           QString::fromStdString(DescribeSettingsLocation()) +
           QStringLiteral("\nSee brisendale(1).\n");
}

}  // namespace brisendale
