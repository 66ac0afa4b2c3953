// Brisendale's only window: the server and zone choices, the retrieve and set
// buttons, the start-up options and the status line, with their handlers.
//
// Controls carry the names the rest of the program and the tests use
// (cboServer, txtDelay, ...). Handlers are named control_event and run through
// the runtime's Dispatch, so an error a handler does not trap ends the program
// with a message instead of escaping into Qt's event loop.
#pragma once

#include "platform/clock/system_clock.h"
#include "platform/net/daytime_connection.h"
#include "platform/runtime/forms_runtime.h"
#include "timesync/daytime_reply.h"
#include "timesync/server_table.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
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
};

class MainForm : public QWidget {
    Q_OBJECT

  public:
    explicit MainForm(const MainFormServices& services, QWidget* parent = nullptr);
    ~MainForm() override;

    // Raises Load, as the runtime does once before the window is first shown.
    void Load();
    // Shows the window centred on its screen, unless the logon run hid it.
    void ShowIfInteractive();

    // Controls, named as everywhere else in the program.
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cboServer = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cboGMT = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtPort = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* chkStartupSync = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* txtDelay = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblAtomicTime = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* IconImg = nullptr;
    QTimer* DelayTimer = nullptr;         // one tick a second; only the logon run enables it
    DaytimeConnection* WSTime = nullptr;  // the Daytime connection

    // Form-level state.
    ServerTable Servers;
    bool StartupMode = false;     // true only during the unattended logon run
    std::int32_t DelayTicks = 0;  // one-second ticks counted by the logon run

    // Handlers.
    void Form_Load();
    void Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode);
    void cboServer_Click();
    void cboGMT_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void WSTime_DataArrival(std::int32_t bytesTotal);
    void WSTime_Error(std::int16_t number, const QString& description);
    void WSTime_Close();
    void DelayTimer_Timer();
    void chkStartupSync_Click();
    void txtDelay_KeyPress(std::int16_t& keyAscii);
    void txtDelay_LostFocus();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void WireEvents();
    void Handle(const std::function<void()>& handler);

    // The status line grows to the right with its text and never wraps.
    void SetStatus(const QString& text);
    // Ends one retrieval: closes the connection, forgets partial data, stops the deadline.
    void EndExchange();
    void FinishReply();
    void ReplyDeadline_Timer();
    // The unattended run reports its outcome on standard error and ends.
    void EndUnattendedRun(int status, const QString& reason);

    MainFormServices services_;
    DaytimeReply reply_;
    QTimer* replyDeadline_ = nullptr;
};

}  // namespace brisendale
