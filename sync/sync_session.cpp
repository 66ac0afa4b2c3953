#include "sync/sync_session.h"

#include <QPointer>

#include <utility>

#include "sync/computer_zone.h"
#include "timesync/clock_instant.h"
#include "timesync/server_table.h"
#include "timesync/zone_list.h"

namespace brisendale {

SyncSession::SyncSession(SyncServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      spacing_(services_.querySpacing),
      turn_(services_.scheduler.MakeAlarm()) {
    if (!services_.computerOffsetSeconds) {
        services_.computerOffsetSeconds = ComputerOffsetSeconds;
    }
}

SyncSession::~SyncSession() = default;

void SyncSession::Retrieve(int row, int zoneIndex) {
    EndExchange();
    const TimeServer* server = ServerAt(row);
    if (server != nullptr && server->retired) {
        emit retrievalFailed(SyncFailure{FailureKind::kServerRetired, {}});
        return;
    }
    emit connecting();
    if (server == nullptr) {
        emit retrievalFailed(SyncFailure{FailureKind::kNotStarted, {}});
        return;
    }
    host_ = server->host;
    zoneIndex_ = zoneIndex;
    StartWhenAllowed();
}

void SyncSession::StartWhenAllowed() {
    // Asked again on every turn: the spacing is the rule, the alarm only a
    // way to wait for it.
    const MonotonicTime now = services_.scheduler.Now();
    const auto wait = spacing_.WaitBefore(host_, now);
    if (wait > std::chrono::milliseconds::zero()) {
        turn_->Start(wait, [this] { StartWhenAllowed(); });
        return;
    }
    spacing_.RecordContact(host_, now);
    exchangeRunning_ = true;
    exchange_ = std::make_unique<DaytimeExchange>(
        services_.transport, services_.scheduler, host_, services_.replyDeadline,
        [this](const ExchangeOutcome& outcome) { OnExchangeEnded(outcome); });
}

void SyncSession::OnExchangeEnded(const ExchangeOutcome& outcome) {
    // The exchange stays until the next one: this is its own report.
    exchangeRunning_ = false;
    spacing_.RecordContact(host_, services_.scheduler.Now());
    if (const auto* failure = std::get_if<SyncFailure>(&outcome)) {
        emit retrievalFailed(*failure);
        return;
    }
    const ReplyTime& reply = std::get<ReplyTime>(outcome);
    retrieved_ = Retrieved{
        .id = ++retrievals_,
        .reply = reply,
        .clockAtArrival = services_.clock.Now(),
        .host = host_,
        .shownTime =
            ToLocalTime(reply.timeField, static_cast<std::int16_t>(ZoneOffset(zoneIndex_))),
        .zoneIndex = zoneIndex_,
    };
    emit retrieved(QString::fromStdString(retrieved_->shownTime));
    ReportCanSetClock();
}

void SyncSession::Discard() {
    EndExchange();
    retrieved_.reset();
    emit discarded();
    ReportCanSetClock();
}

void SyncSession::SetClock(Authorisation authorisation) {
    if (!CanSetClock()) {
        return;
    }
    const Retrieved& time = *retrieved_;
    // The server's instant, carried forward by the time since it arrived:
    // a time set long after it was retrieved is still the true time.
    const auto sinceArrival = std::chrono::duration_cast<std::chrono::microseconds>(
        services_.scheduler.Now() - time.reply.arrivedAt);
    const ClockInstant instant = ServerInstant(time.reply.utc, time.clockAtArrival) + sinceArrival;
    const ClockSetReport report{
        .host = time.host,
        .shownTime = time.shownTime,
        .chosenOffsetSeconds = ZoneOffset(time.zoneIndex) * 3600,
        .computerOffsetSeconds = services_.computerOffsetSeconds(instant),
        .instant = instant,
        .correction = instant - services_.clock.Now(),
    };
    awaitingClock_ = true;
    const QPointer<SyncSession> self(this);
    const int id = time.id;
    services_.clock.RequestTime(instant, authorisation,
                                [self, report, id](const std::optional<ClockRefusal>& refusal) {
                                    if (self)
                                        self->OnClockAnswer(refusal, report, id);
                                });
    if (awaitingClock_) {
        emit awaitingAuthorisation();
        ReportCanSetClock();
    }
}

void SyncSession::OnClockAnswer(const std::optional<ClockRefusal>& refusal,
                                const ClockSetReport& report, int retrievedId) {
    awaitingClock_ = false;
    if (refusal) {
        emit clockRefused(SyncFailure{FailureKind::kClockRefused, refusal->reason});
    } else {
        setId_ = retrievedId;
        emit clockSet(report);
    }
    ReportCanSetClock();
}

void SyncSession::Cancel() {
    EndExchange();
}

bool SyncSession::CanSetClock() const {
    return retrieved_ && !awaitingClock_ && retrieved_->id != setId_;
}

void SyncSession::EndExchange() {
    turn_->Stop();
    if (exchangeRunning_) {
        exchangeRunning_ = false;
        spacing_.RecordContact(host_, services_.scheduler.Now());
    }
    exchange_.reset();
}

void SyncSession::ReportCanSetClock() {
    const bool canSet = CanSetClock();
    if (canSet != couldSetClock_) {
        couldSetClock_ = canSet;
        emit canSetClockChanged(canSet);
    }
}

}  // namespace brisendale
