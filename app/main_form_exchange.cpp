// Retrieving the time from the selected server and setting the clock from it.
//
// One retrieval is one exchange: Command1 opens it, and exactly one of these
// ends it: a complete reply, an error from the connection, the server closing,
// or the deadline. EndExchange is the one way out and is safe to call twice.
#include "app/main_form.h"

#include "platform/runtime/runtime_error.h"
#include "timesync/clock_update.h"
#include "timesync/zone_list.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <cstdio>

namespace brisendale {
namespace {

const QString kNotRetrieved = QStringLiteral("(not retrieved)");

}  // namespace

void MainForm::Command1_Click() {
    // Each step that fails is abandoned and the next one still runs; whether
    // any of them failed is decided once, at the end.
    int lastError = 0;
    auto step = [&lastError](const std::function<void()>& action) {
        try {
            action();
        } catch (const RuntimeError& error) {
            lastError = error.Number();
        }
    };

    step([this] { SetStatus(QStringLiteral("Status: Connecting to server...")); });
    step([this] { EndExchange(); });
    step([this] {
        const auto row = static_cast<std::int16_t>(cboServer->currentIndex());
        WSTime->SetRemoteHost(QString::fromStdString(Servers.ServerHost[row]));
    });
    step([this] {
        WSTime->Connect();
        replyDeadline_->start();
    });

    if (lastError == 0)
        return;  // the exchange goes on in WSTime's events
    SetStatus(QStringLiteral("Status: Error Occurred."));
    if (StartupMode)
        EndUnattendedRun(1, lblStatus->text());
}

void MainForm::WSTime_DataArrival(std::int32_t /*bytesTotal*/) {
    QString data;
    WSTime->GetData(data);
    reply_.Append(data.toLatin1().toStdString());
    // A reply may come in several pieces: wait until the time field is complete
    // or the server closes the connection.
    if (!reply_.Complete())
        return;
    FinishReply();
}

void MainForm::WSTime_Close() {
    // Bytes that came with the server's goodbye are still waiting to be read.
    QString rest;
    WSTime->GetData(rest);
    reply_.Append(rest.toLatin1().toStdString());
    if (reply_.Empty()) {
        EndExchange();
        WSTime_Error(0, QStringLiteral("Connection closed by server"));
        return;
    }
    FinishReply();
}

void MainForm::ReplyDeadline_Timer() {
    EndExchange();
    WSTime_Error(10060, QStringLiteral("Connection timed out"));
}

void MainForm::FinishReply() {
    const std::string timeField = reply_.TimeField();
    EndExchange();
    if (!IsValidTimeOfDay(timeField)) {
        // Showing a malformed field as the atomic time, and perhaps setting the
        // clock from it, would report a failure as a success.
        SetStatus(QStringLiteral("Status: Invalid reply from server."));
        if (StartupMode)
            EndUnattendedRun(1, lblStatus->text());
        return;
    }
    const std::int16_t offset = ZoneOffset(static_cast<std::int16_t>(cboGMT->currentIndex()));
    lblAtomicTime->setText(QString::fromStdString(ToLocalTime(timeField, offset)));
    Command3->setEnabled(true);
    SetStatus(QStringLiteral("Status: Atomic time successfully received."));
    if (StartupMode)
        Command3_Click();
}

void MainForm::WSTime_Error(std::int16_t /*number*/, const QString& description) {
    // The connection is left as the control reported it; the next retrieval or
    // selection change closes it. Only the deadline and partial data go now.
    replyDeadline_->stop();
    reply_.Clear();
    SetStatus(QStringLiteral("Status: Winsock Error: ") + description);
    if (StartupMode)
        EndUnattendedRun(1, lblStatus->text());
}

void MainForm::cboServer_Click() {
    EndExchange();
    lblAtomicTime->setText(kNotRetrieved);
    SetStatus(QString());
    Command3->setEnabled(false);
}

void MainForm::cboGMT_Click() {
    cboServer_Click();
}

void MainForm::Command3_Click() {
    try {
        SetSystemTimeOfDay(services_.clock, lblAtomicTime->text().toStdString());
    } catch (const ClockRefused& refused) {
        const QString reason = QStringLiteral("The system time could not be set: ") +
                               QString::fromStdString(refused.what());
        if (StartupMode) {
            EndUnattendedRun(1, reason);
            return;
        }
        // The window stays open with the user's unsaved choices, and the
        // button stays enabled so that the user can try again.
        services_.runtime.ShowWarning(this, reason);
        return;
    }
    Command3->setEnabled(false);
    if (StartupMode)
        EndUnattendedRun(0, lblStatus->text());
}

void MainForm::EndExchange() {
    replyDeadline_->stop();
    reply_.Clear();
    WSTime->Close();
}

void MainForm::EndUnattendedRun(int status, const QString& reason) {
    std::fprintf(stderr, "brisendale: %s\n", qPrintable(reason.simplified()));
    services_.runtime.EndProgram(status);
}

}  // namespace brisendale
