#include "sync/daytime_exchange.h"

#include <utility>

#include "timesync/time_of_day.h"

namespace brisendale {

DaytimeExchange::DaytimeExchange(DaytimeTransport& transport, Scheduler& scheduler,
                                 const std::string& host, std::chrono::milliseconds deadline,
                                 std::function<void(const ExchangeOutcome&)> done)
    : scheduler_(scheduler), done_(std::move(done)), deadline_(scheduler.MakeAlarm()) {
    deadline_->Start(deadline, [this] { OnDeadline(); });
    link_ =
        transport.Open(host, LinkEvents{
                                 .connected = [this] { connected_ = true; },
                                 .received = [this](std::string_view bytes) { OnReceived(bytes); },
                                 .closedByPeer = [this] { OnClosedByPeer(); },
                                 .failed = [this](const std::string& d) { OnFailed(d); },
                             });
}

DaytimeExchange::~DaytimeExchange() = default;

void DaytimeExchange::OnReceived(std::string_view bytes) {
    reply_.Append(bytes);
    // TCP may deliver the line in pieces: judge it once it has ended.
    if (reply_.Complete()) {
        Judge();
    }
}

void DaytimeExchange::OnClosedByPeer() {
    if (reply_.Empty()) {
        Finish(SyncFailure{FailureKind::kConnectionFailed, "Connection closed by server"});
        return;
    }
    Judge();  // a line without its end, or with bytes missing, is judged as it stands
}

void DaytimeExchange::OnFailed(const std::string& description) {
    Finish(SyncFailure{connected_ ? FailureKind::kConnectionFailed : FailureKind::kNoConnection,
                       description});
}

void DaytimeExchange::OnDeadline() {
    Finish(SyncFailure{connected_ ? FailureKind::kConnectionFailed : FailureKind::kNoConnection,
                       "Connection timed out"});
}

void DaytimeExchange::Judge() {
    switch (reply_.Fault()) {
        case ReplyFault::None:
            break;
        case ReplyFault::InvalidReply:
            Finish(SyncFailure{FailureKind::kInvalidReply, {}});
            return;
        case ReplyFault::ServerUnhealthy:
            Finish(SyncFailure{FailureKind::kServerUnhealthy, {}});
            return;
    }
    const std::string field = reply_.TimeField();
    // Fault() found a valid time of day there, so it reads.
    const TimeOfDay utc = *ParseTimeOfDay(field);
    Finish(ReplyTime{field, utc, scheduler_.Now()});
}

void DaytimeExchange::Finish(const ExchangeOutcome& outcome) {
    if (ended_) {
        return;
    }
    ended_ = true;
    deadline_->Stop();
    link_->Close();
    const auto done = std::move(done_);
    done(outcome);  // may destroy this exchange: nothing of it is touched after
}

}  // namespace brisendale
