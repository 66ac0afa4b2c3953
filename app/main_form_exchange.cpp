// Retrieving the time from the selected server and setting the clock from it.
//
// One retrieval is one exchange: retrieveTime opens it, and exactly one of
// these ends it: a complete reply, an error from the connection, the server
// closing, or the deadline. endExchange is the one way out and is safe to call
// twice.
#include "app/main_form.h"

#include "platform/runtime/runtime_error.h"
#include "timesync/clock_update.h"
#include "timesync/zone_list.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <cstdio>
#include <optional>

namespace brisendale {
namespace {

const QString kNotRetrieved = QStringLiteral("(not retrieved)");
const QString kWaitingForAuthorisation = QStringLiteral("Status: Waiting for authorisation...");

}  // namespace

void MainForm::retrieveTime() {
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

    step([this] { setStatus(QStringLiteral("Status: Connecting to server...")); });
    step([this] { endExchange(); });
    step([this] {
        const auto row = static_cast<std::int16_t>(serverList_->currentIndex());
        daytimeConnection_->SetRemoteHost(QString::fromStdString(servers.ServerHost[row]));
    });
    step([this] {
        daytimeConnection_->Connect();
        replyDeadline_->start();
    });

    if (lastError == 0)
        return;  // the exchange goes on in the connection's signals
    setStatus(QStringLiteral("Status: Error Occurred."));
    if (logonRun)
        endLogonRun(1, statusLabel_->text());
}

void MainForm::onReplyData() {
    QString data;
    daytimeConnection_->GetData(data);
    reply_.Append(data.toLatin1().toStdString());
    // A reply may come in several pieces: wait until the time field is complete
    // or the server closes the connection.
    if (!reply_.Complete())
        return;
    finishReply();
}

void MainForm::onPeerClosed() {
    // Bytes that came with the server's goodbye are still waiting to be read.
    QString rest;
    daytimeConnection_->GetData(rest);
    reply_.Append(rest.toLatin1().toStdString());
    if (reply_.Empty()) {
        endExchange();
        onConnectionError(0, QStringLiteral("Connection closed by server"));
        return;
    }
    finishReply();
}

void MainForm::onReplyDeadline() {
    endExchange();
    onConnectionError(10060, QStringLiteral("Connection timed out"));
}

void MainForm::finishReply() {
    const std::string timeField = reply_.TimeField();
    endExchange();
    if (!IsValidTimeOfDay(timeField)) {
        // Showing a malformed field as the atomic time, and perhaps setting the
        // clock from it, would report a failure as a success.
        setStatus(QStringLiteral("Status: Invalid reply from server."));
        if (logonRun)
            endLogonRun(1, statusLabel_->text());
        return;
    }
    const std::int16_t offset = ZoneOffset(static_cast<std::int16_t>(zoneList_->currentIndex()));
    timeLabel_->setText(QString::fromStdString(ToLocalTime(timeField, offset)));
    ++shownTimes_;
    // One request to set the clock at a time.
    setClockButton_->setEnabled(!awaitingClock_);
    setStatus(QStringLiteral("Status: Atomic time successfully received."));
    if (logonRun)
        setSystemTime();
}

void MainForm::onConnectionError(std::int16_t /*number*/, const QString& description) {
    // The connection is left as the control reported it; the next retrieval or
    // selection change closes it. Only the deadline and partial data go now.
    replyDeadline_->stop();
    reply_.Clear();
    setStatus(QStringLiteral("Status: Winsock Error: ") + description);
    if (logonRun)
        endLogonRun(1, statusLabel_->text());
}

void MainForm::discardRetrievedTime() {
    endExchange();
    timeLabel_->setText(kNotRetrieved);
    setStatus(QString());
    setClockButton_->setEnabled(false);
}

void MainForm::setSystemTime() {
    // Nobody can answer a password dialog during the logon run.
    const Authorisation authorisation =
        logonRun ? Authorisation::kMustNotAskUser : Authorisation::kMayAskUser;
    const QPointer<MainForm> self(this);
    const int timeToSet = shownTimes_;
    awaitingClock_ = true;
    SetSystemTimeOfDay(services_.clock, timeLabel_->text().toStdString(), authorisation,
                       [self, timeToSet](const std::optional<ClockRefused>& refusal) {
                           if (self)
                               self->dispatch([&] { self->onClockAnswer(refusal, timeToSet); });
                       });
    if (!awaitingClock_)
        return;  // answered at once
    // The system asks for an administrator's authorisation first, which can
    // take minutes; the window goes on meanwhile.
    setClockButton_->setEnabled(false);
    statusBeforeWait_ = statusLabel_->text();
    setStatus(kWaitingForAuthorisation);
}

void MainForm::onClockAnswer(const std::optional<ClockRefused>& refusal, int timeToSet) {
    awaitingClock_ = false;
    if (statusLabel_->text() == kWaitingForAuthorisation)
        setStatus(statusBeforeWait_);
    // The button is for a shown time that has not been set yet; the user may
    // have retrieved another or thrown it away while the answer was awaited.
    const bool timeShown = timeLabel_->text() != kNotRetrieved;
    setClockButton_->setEnabled(timeShown && (refusal || shownTimes_ != timeToSet));
    if (!refusal) {
        if (logonRun)
            endLogonRun(0, statusLabel_->text());
        return;
    }
    const QString reason = QStringLiteral("The system time could not be set: ") +
                           QString::fromStdString(refusal->what());
    if (logonRun) {
        endLogonRun(1, reason);
        return;
    }
    // The window stays open with the user's unsaved choices.
    services_.runtime.ShowWarning(this, reason);
}

void MainForm::endExchange() {
    replyDeadline_->stop();
    reply_.Clear();
    daytimeConnection_->Close();
}

void MainForm::endLogonRun(int status, const QString& reason) {
    std::fprintf(stderr, "brisendale: %s\n", qPrintable(reason.simplified()));
    services_.runtime.EndProgram(status);
}

}  // namespace brisendale
