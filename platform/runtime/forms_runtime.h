// The services the window relies on from its runtime: the modal message box,
// the immediate end of the program, the safety net for errors that a handler
// does not trap, and what the process was started with.
//
// Tests derive from FormsRuntime to record message boxes and ends instead of
// blocking on a dialog or leaving the test process.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class QWidget;

namespace brisendale {

// The arguments after the program's own path, joined by single blanks, so
// that a logon entry ending in " -startup" reads exactly "-startup".
QString JoinCommandLine(const QStringList& argumentsWithProgram);

// The executable's name for the logon command line. On Windows without its
// extension, which the command line writes as ".exe" itself; elsewhere the
// whole file name, since a dot there is part of the name (brisendale-1.0,
// Brisendale.AppImage) and no extension is ever added back.
QString ExecutableNameOf(const QString& executablePath);

class FormsRuntime {
  public:
    // `commandLine` is the one the user gave (JoinCommandLine of main's
    // argv, taken before QApplication removes the options it knows).
    explicit FormsRuntime(QString commandLine = QString()) : commandLine_(std::move(commandLine)) {}
    virtual ~FormsRuntime() = default;

    // Modal warning box: one OK button, caption "Brisendale". Returns when
    // closed. In an unattended run nobody can answer a box, so the text goes
    // to standard error instead.
    virtual void ShowWarning(QWidget* owner, const QString& text);

    // Ends the program at once with `status`: no further handler runs and the
    // window's close handling is skipped. Never returns in the real runtime;
    // a test runtime records the status and returns, and Dispatch then runs
    // no further handler.
    virtual void EndProgram(int status);

    // Runs one event handler. An error that the handler does not trap is shown
    // with its number and description, and the program ends with status 1.
    void Dispatch(QWidget* owner, const std::function<void()>& handler);

    bool Ended() const { return ended_; }
    int EndStatus() const { return endStatus_; }

    // Set for the unattended logon run: warnings and untrapped errors are
    // written to standard error, as there is nobody to close a message box.
    void SetUnattended(bool unattended) { unattended_ = unattended; }

    // The command line as one string, without the program's path.
    virtual QString CommandLine() const;
    // The folder holding the executable, in the system's native form.
    virtual QString ApplicationFolder() const;
    // The executable's name: see ExecutableNameOf.
    virtual QString ExecutableName() const;

  protected:
    void MarkEnded(int status) {
        ended_ = true;
        endStatus_ = status;
    }

  private:
    QString commandLine_;
    bool ended_ = false;
    int endStatus_ = 0;
    bool unattended_ = false;
};

}  // namespace brisendale
