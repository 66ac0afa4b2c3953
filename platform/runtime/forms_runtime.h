// The services the window relies on from its runtime: the modal message box,
// the immediate end of the program, the safety net for errors that a handler
// does not trap.
//
// Tests derive from FormsRuntime to record message boxes and ends instead of
// blocking on a dialog or leaving the test process.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace brisendale {

class FormsRuntime {
  public:
    virtual ~FormsRuntime() = default;

    // Modal warning box: one OK button, caption "Brisendale". Returns when
    // closed.
    virtual void ShowWarning(QWidget* owner, const QString& text);

    // Ends the program at once with `status`: no further handler runs and the
    // window's close handling is skipped. Never returns in the real runtime;
    // a test runtime records the status and returns, and Dispatch then runs
    // no further handler.
    virtual void EndProgram(int status);

    // Runs one event handler. An exception that the handler does not catch is
    // shown with a number and its description, and the program ends with
    // status 1.
    void Dispatch(QWidget* owner, const std::function<void()>& handler);

    bool Ended() const { return ended_; }
    int EndStatus() const { return endStatus_; }

  protected:
    void MarkEnded(int status) {
        ended_ = true;
        endStatus_ = status;
    }

  private:
    bool ended_ = false;
    int endStatus_ = 0;
};

}  // namespace brisendale
