// The retrieve and set buttons, and what the engine reports of them.
#include "app/main_form.h"

#include <QComboBox>
#include <QPushButton>

namespace brisendale {
namespace {

const QString kNotRetrieved = QStringLiteral("(not retrieved)");

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void MainForm::retrieveTime() {
    session_->Retrieve(serverList_->currentIndex(), zoneList_->currentIndex());
}

void MainForm::discardRetrievedTime() {
    session_->Discard();
}

void MainForm::setSystemTime() {
    session_->SetClock(Authorisation::kMayAskUser);
}

void MainForm::showConnecting() {
    setStatus(Text(kConnectingStatus));
}

void MainForm::showRetrievedTime(const QString& shownTime) {
    timeLabel_->setText(shownTime);
    setStatus(Text(kReceivedStatus));
}

void MainForm::showFailure(const SyncFailure& failure) {
    // A time received earlier stays shown and settable.
    setStatus(Text(StatusText(failure)));
}

void MainForm::showNotRetrieved() {
    timeLabel_->setText(kNotRetrieved);
    setStatus(QString());
}

void MainForm::showAwaitingAuthorisation() {
    statusBeforeWait_ = statusLabel_->text();
    setStatus(Text(kWaitingForAuthorisationStatus));
}

void MainForm::showClockSet(const ClockSetReport& report) {
    setStatus(Text(StatusText(report)));
}

void MainForm::showClockRefused(const SyncFailure& failure) {
    if (statusLabel_->text() == Text(kWaitingForAuthorisationStatus))
        setStatus(statusBeforeWait_);
    // The window stays open with the user's unsaved choices, and the button
    // can be pressed again.
    runtime_.ShowWarning(this, Text(StatusText(failure)));
}

}  // namespace brisendale
