// Brisendale's only window: the server and zone choices, the retrieve and set
// buttons, the start-up options and the status line.
//
// The window is a view of the sync engine (sync/sync_session.h): its buttons
// and lists call the engine, and it renders what the engine reports. It holds
// no socket, no timer and no retrieved time of its own.
//
// Members are named by the role they play (retrieveButton_, serverList_, ...)
// and handlers by what they do (retrieveTime, showRetrievedTime,
// saveSettingsOnClose, ...). Every control also carries a stable objectName
// ("cboServer", "txtDelay", "lblStatus", ...) by which tests and UI automation
// find it with findChild; those names never change. Handlers run through the
// runtime's Dispatch (see wire), so an error a handler does not trap ends the
// program with a message instead of escaping into Qt's event loop.
#pragma once

#include "app/status_line.h"
#include "platform/runtime/forms_runtime.h"
#include "sync/sync_session.h"

#include <QLineEdit>
#include <QWidget>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace brisendale {

// What the window needs from outside; tests pass fakes.
struct MainFormServices {
    FormsRuntime& runtime;
    SyncServices sync;
};

class MainForm : public QWidget {
    Q_OBJECT

  public:
    explicit MainForm(const MainFormServices& services, QWidget* parent = nullptr);
    ~MainForm() override;

    // Fills the lists and applies the stored settings, as the runtime does
    // once before the window is first shown.
    void startUp();
    // Shows the window centred on its screen with the server list focused,
    // then what the start has to tell, if anything.
    void showCentred();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    // The delay field's length limit, its key and input method filter and the
    // rewriting of its text when it is left.
    void setUpDelayField();
    void wireHandlers();
    // Connects `signal` of `sender` to `handler`, which then runs through the
    // runtime's safety net; the handler takes the signal's first arguments.
    template <class Sender, class Signal, class... Args>
    void wire(Sender* sender, Signal signal, void (MainForm::*handler)(Args...));
    void dispatch(const std::function<void()>& handler);

    // Handlers of the controls.
    void loadSettings();
    void saveSettingsOnClose(bool& cancelClose);
    void retrieveTime();
    void discardRetrievedTime();
    void setSystemTime();
    void closeWindow();
    void onSyncBoxChanged();
    void filterDelayKey(std::int16_t& keyCode);
    void normaliseDelayText();

    // What the engine reports, rendered.
    void showConnecting();
    void showRetrievedTime(const QString& shownTime);
    void showFailure(const SyncFailure& failure);
    void showNotRetrieved();
    void showAwaitingAuthorisation();
    void showClockSet(const ClockSetReport& report);
    void showClockRefused(const SyncFailure& failure);

    // Shows `text` on the status line and announces it to screen readers.
    void setStatus(const QString& text);

    FormsRuntime& runtime_;
    SyncSession* session_;

    QComboBox* serverList_ = nullptr;
    QComboBox* zoneList_ = nullptr;
    QPushButton* retrieveButton_ = nullptr;
    QPushButton* setClockButton_ = nullptr;
    QCheckBox* syncAtLogonBox_ = nullptr;
    QLineEdit* delayField_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLineEdit* timeLabel_ = nullptr;  // the retrieved time, in a read-only field
    StatusLine* statusLabel_ = nullptr;
    QString statusBeforeWait_;      // the status line before it said it was waiting
    bool storeUnreadable_ = false;  // the settings store exists but could not be read
    QString startWarning_;          // said once the window is shown
};

}  // namespace brisendale
