// The interactive start: the window, until the user closes it.
#pragma once

#include <QString>

namespace brisendale {

// Runs the window; returns the program's exit status. Without a display it
// ends with one line on standard error and status 1.
int RunWindow(int& argc, char** argv, const QString& commandLine);

}  // namespace brisendale
