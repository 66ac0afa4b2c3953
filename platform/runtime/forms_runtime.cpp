#include "platform/runtime/forms_runtime.h"

#include "platform/runtime/runtime_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace brisendale {

QString JoinCommandLine(const QStringList& argumentsWithProgram) {
    return argumentsWithProgram.mid(1).join(QLatin1Char(' '));
}

QString ExecutableNameOf(const QString& executablePath) {
    const QFileInfo file(executablePath);
#ifdef Q_OS_WIN
    return file.completeBaseName();
#else
    return file.fileName();
#endif
}

void FormsRuntime::ShowWarning(QWidget* owner, const QString& text) {
    if (unattended_) {
        // One line, so a log of logon runs keeps one entry per run.
        std::fprintf(stderr, "brisendale: %s\n", qPrintable(text.simplified()));
        return;
    }
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
    int number = 0;
    QString description;
    try {
        handler();
        return;
    } catch (const RuntimeError& error) {
        number = error.Number();
        description = QString::fromStdString(error.what());
    } catch (const std::exception& error) {
        // Anything else is a fault of ours; it still must not pass through Qt's
        // event loop, which cannot carry exceptions.
        number = 51;  // internal error
        description = QString::fromStdString(error.what());
    }
    if (ended_)
        return;
    ShowWarning(owner, QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description));
    EndProgram(1);
}

QString FormsRuntime::CommandLine() const {
    return commandLine_;
}

QString FormsRuntime::ApplicationFolder() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString FormsRuntime::ExecutableName() const {
    return ExecutableNameOf(QCoreApplication::applicationFilePath());
}

}  // namespace brisendale
