// What one start of the program is, decided once from its command line.
#pragma once

#include <QString>
#include <QStringList>

namespace brisendale {

enum class StartMode {
    kWindow,    // the interactive window
    kLogonRun,  // the unattended run of the logon entry: no window at all
    kHelp,      // prints the usage
    kVersion,   // prints the version
};

// The arguments after the program's own path, joined by single blanks, so
// that a logon entry ending in " -startup" reads exactly "-startup".
QString JoinCommandLine(const QStringList& argumentsWithProgram);

// Only the exact switch, and only while the logon entry exists, starts the
// logon run; "-Startup" or "-startup" with more after it is a window.
StartMode ChooseStartMode(const QString& commandLine, bool logonEntryExists);

// The usage that --help prints.
QString UsageText();

}  // namespace brisendale
