#include "platform/runtime/forms_runtime.h"

#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace brisendale {

void FormsRuntime::ShowWarning(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Brisendale"), text, QMessageBox::Ok,
                    owner);
    box.exec();
}

void FormsRuntime::EndProgram(int status) {
    MarkEnded(status);
    std::fflush(stdout);
    std::fflush(stderr);
    // _Exit rather than exit: no destructor of the window may run its close
    // handling or touch the stored settings on the way out.
    std::_Exit(status);
}

void FormsRuntime::Dispatch(QWidget* owner, const std::function<void()>& handler) {
    if (ended_)
        return;
    QString description;
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        description = QString::fromStdString(error.what());
    }
    if (ended_)
        return;
    // A fault of ours: it must not pass through Qt's event loop, which cannot
    // carry exceptions. 51 is the number users of such programs know as an
    // internal error.
    ShowWarning(owner, QStringLiteral("Run-time error '51':\n\n%1").arg(description));
    EndProgram(1);
}

}  // namespace brisendale
