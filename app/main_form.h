// Brisendale's only window: the server and zone choices, the retrieve and set
// buttons, the start-up options and the status line, with their handlers.
//
// Members are named by the role they play (retrieveButton_, serverList_,
// daytimeConnection_, ...) and handlers by what they do (retrieveTime,
// onReplyData, saveSettingsOnClose, ...). Every control also carries a stable
// objectName ("cboServer", "txtDelay", "lblStatus", ...) by which tests and UI
// automation find it with findChild; those names never change. Handlers run
// through the runtime's Dispatch (see wire), so an error a handler does not
// trap ends the program with a message instead of escaping into Qt's event loop.
#pragma once

#include "platform/clock/system_clock.h"
#include "platform/net/daytime_connection.h"
#include "platform/runtime/forms_runtime.h"
#include "timesync/daytime_reply.h"
#include "timesync/query_spacing.h"
#include "timesync/server_table.h"

#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace brisendale {

// What the window needs from outside; tests pass fakes and a loopback port.
struct MainFormServices {
    FormsRuntime& runtime;
    SystemClock& clock;
    quint16 daytimePort = 13;
    // A retrieval that has no complete reply by then is abandoned.
    int replyDeadlineMs = 15000;
    // The least time between two contacts with one server.
    std::chrono::milliseconds querySpacing = QuerySpacing::kMinimumSpacing;
};

class MainForm : public QWidget {
    Q_OBJECT

  public:
    explicit MainForm(const MainFormServices& services, QWidget* parent = nullptr);
    ~MainForm() override;

    // Fills the lists and applies the stored settings, as the runtime does once
    // before the window is first shown; started by the logon entry, it begins
    // the unattended run instead.
    void startUp();
    // Shows the window centred on its screen, unless the logon run hid it.
    void showIfInteractive();

    // What "Retrieve Atomic Time" does: starts one exchange with the selected
    // server. Public so that a run without a user can press it in code.
    void retrieveTime();

    // The server rows; tests and the bench point a row at a loopback server.
    ServerTable servers;
    bool logonRun = false;        // true only during the unattended logon run
    std::int32_t delayTicks = 0;  // one-second ticks counted by the logon run

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void wireHandlers();
    // Connects `signal` of `sender` to `handler`, which then runs through the
    // runtime's safety net; the handler takes the signal's first arguments.
    template <class Sender, class Signal, class... Args>
    void wire(Sender* sender, Signal signal, void (MainForm::*handler)(Args...));
    void dispatch(const std::function<void()>& handler);

    // Handlers.
    void loadSettings();
    void saveSettingsOnClose(bool& cancelClose);
    void discardRetrievedTime();
    void setSystemTime();
    // The clock's answer to the request setSystemTime made for the
    // `timeToSet`-th shown time.
    void onClockAnswer(const std::optional<ClockRefused>& refusal, int timeToSet);
    void closeWindow();
    void onReplyData();
    void onConnectionError(std::int16_t number, const QString& description);
    void onPeerClosed();
    void onReplyDeadline();
    void connectAfterWait();
    void onDelayTick();
    void onSyncBoxChanged();
    void filterDelayKey(std::int16_t& keyCode);
    void normaliseDelayText();

    // The status line grows to the right with its text and never wraps.
    void setStatus(const QString& text);
    // Connects to the remote host and starts the deadline, or, if that host
    // was in contact too recently, starts the wait for its turn. Throws
    // RuntimeError as the connection's Connect does.
    void connectWhenAllowed();
    void reportFailedStart();
    // Ends one retrieval: cancels a wait, closes the connection, forgets
    // partial data, stops the deadline.
    void endExchange();
    // The exchange under way is over, however it ended: its host's spacing
    // counts from now.
    void noteContactEnded();
    void finishReply();
    // The unattended run reports its outcome on standard error and ends.
    void endLogonRun(int status, const QString& reason);

    MainFormServices services_;

    QComboBox* serverList_ = nullptr;
    QComboBox* zoneList_ = nullptr;
    QPushButton* retrieveButton_ = nullptr;
    QPushButton* setClockButton_ = nullptr;
    QCheckBox* syncAtLogonBox_ = nullptr;
    QLineEdit* delayField_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QTimer* logonDelayTimer_ = nullptr;  // one tick a second; only the logon run starts it
    DaytimeConnection* daytimeConnection_ = nullptr;
    QTimer* replyDeadline_ = nullptr;
    DaytimeReply reply_;
    int shownTimes_ = 0;          // times shown so far, to tell one from the next
    bool awaitingClock_ = false;  // a request to set the clock awaits its answer
    QString statusBeforeWait_;    // the status line before it said it was waiting
    // Holds a retrieval back until its server may be asked again.
    QTimer* connectWait_ = nullptr;
    QuerySpacing querySpacing_{services_.querySpacing};
    std::string contactHost_;  // the host of the exchange under way; empty when none
};

}  // namespace brisendale
