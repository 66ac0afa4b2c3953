// A forms runtime that records message boxes and the program's end instead of showing them.
#pragma once

#include <QStringList>

#include "platform/runtime/forms_runtime.h"

namespace brisendale {

struct RecordingRuntime : FormsRuntime {
    QStringList warnings;
    void ShowWarning(QWidget*, const QString& text) override { warnings << text; }
    void EndProgram(int status) override { MarkEnded(status); }
};

}  // namespace brisendale
