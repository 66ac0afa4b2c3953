// Retrieving the time from the selected server and setting the clock from it.
//
// One retrieval is one exchange: retrieveTime opens it, and exactly one of
// these ends it: a complete reply, an error from the connection, the server
// closing, or the deadline. endExchange is the one way out and is safe to call
// twice.
//
// A server asked again within a few seconds of the last contact may refuse
// the client altogether, so a retrieval that comes too soon waits its turn
// with "Connecting to server..." already shown; anything that ends the
// exchange also cancels the wait.
#include "app/main_form.h"

#include "platform/runtime/runtime_error.h"
#include "timesync/clock_update.h"
#include "timesync/zone_list.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <optional>

namespace brisendale {
namespace {

const QString kNotRetrieved = QStringLiteral("(not retrieved)");
const QString kInvalidReply = QStringLiteral("Status: Invalid reply from server.");
const QString kServerUnhealthy =
    QStringLiteral("Status: Server reports its time may be wrong; try another server.");
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
    step([this] { connectWhenAllowed(); });

    if (lastError == 0)
        return;  // the exchange goes on in the connection's signals
    reportFailedStart();
}

void MainForm::connectAfterWait() {
    try {
        connectWhenAllowed();
    } catch (const RuntimeError&) {
        reportFailedStart();
    }
}

void MainForm::connectWhenAllowed() {
    // Asked again on every turn of the timer: the spacing is the rule, the
    // timer only a way to wait for it.
    const auto wait = querySpacing_.WaitBefore(daytimeConnection_->RemoteHost().toStdString(),
                                               QuerySpacing::Clock::now());
    if (wait > std::chrono::milliseconds::zero()) {
        connectWait_->start(wait);
        return;
    }
    daytimeConnection_->Connect();
    replyDeadline_->start();
    contactHost_ = daytimeConnection_->RemoteHost().toStdString();
    querySpacing_.RecordContact(contactHost_, QuerySpacing::Clock::now());
}

void MainForm::reportFailedStart() {
    setStatus(QStringLiteral("Status: Error Occurred."));
    if (logonRun)
        endLogonRun(1, statusLabel_->text());
}

void MainForm::onReplyData() {
    QString data;
    daytimeConnection_->GetData(data);
    reply_.Append(data.toLatin1().toStdString());
    // A reply may come in several pieces: wait until its line has ended or
    // the server closes the connection.
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
    onConnectionError(DaytimeConnection::kTimedOut, QStringLiteral("Connection timed out"));
}

void MainForm::finishReply() {
    const std::string timeField = reply_.TimeField();
    const ReplyFault fault = reply_.Fault();
    endExchange();
    if (fault != ReplyFault::None) {
        // Showing a malformed field, or the time of a server that doubts it
        // itself, and perhaps setting the clock from it, would report a
        // failure as a success.
        setStatus(fault == ReplyFault::ServerUnhealthy ? kServerUnhealthy : kInvalidReply);
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
    noteContactEnded();
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
    connectWait_->stop();
    replyDeadline_->stop();
    reply_.Clear();
    daytimeConnection_->Close();
    noteContactEnded();
}

void MainForm::noteContactEnded() {
    if (contactHost_.empty())
        return;
    querySpacing_.RecordContact(contactHost_, QuerySpacing::Clock::now());
    contactHost_.clear();
}

void MainForm::endLogonRun(int status, const QString& reason) {
    std::fprintf(stderr, "brisendale: %s\n", qPrintable(reason.simplified()));
    services_.runtime.EndProgram(status);
}

}  // namespace brisendale
