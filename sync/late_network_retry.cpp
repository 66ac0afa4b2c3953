#include "sync/late_network_retry.h"

#include <algorithm>

namespace brisendale {

namespace {

// The wait after the `attempt`-th failure, before the bound is applied.
std::chrono::seconds WaitAfter(int attempt) {
    constexpr std::chrono::seconds kGrowing[] = {std::chrono::seconds(5), std::chrono::seconds(10),
                                                 std::chrono::seconds(20),
                                                 std::chrono::seconds(40)};
    if (attempt <= static_cast<int>(std::size(kGrowing)))
        return kGrowing[attempt - 1];
    return std::chrono::seconds(60);
}

}  // namespace

LateNetworkRetry::LateNetworkRetry(SyncSession& session, Scheduler& scheduler, QObject* parent)
    : QObject(parent), session_(session), scheduler_(scheduler), next_(scheduler.MakeAlarm()) {
    connect(&session_, &SyncSession::retrievalFailed, this, &LateNetworkRetry::OnFailed);
}

void LateNetworkRetry::Start(int row, int zoneIndex) {
    row_ = row;
    zoneIndex_ = zoneIndex;
    firstAttempt_ = scheduler_.Now();
    Attempt();
}

void LateNetworkRetry::OnNetworkUp() {
    // Only while waiting for the next attempt; the session still keeps the
    // server's spacing since the last one.
    if (next_->Active()) {
        next_->Stop();
        Attempt();
    }
}

void LateNetworkRetry::Attempt() {
    ++attempts_;
    session_.Retrieve(row_, zoneIndex_);
}

void LateNetworkRetry::OnFailed(const SyncFailure& failure) {
    const auto left =
        std::chrono::ceil<std::chrono::seconds>(firstAttempt_ + kGiveUpAfter - scheduler_.Now());
    if (!MayBeLateNetwork(failure) || left <= std::chrono::seconds::zero()) {
        emit gaveUp(failure);
        return;
    }
    // The last attempt comes at the end of the three minutes, not after it.
    const std::chrono::seconds wait = std::min(WaitAfter(attempts_), left);
    emit attemptFailed(attempts_, failure, wait);
    next_->Start(wait, [this] { Attempt(); });
}

}  // namespace brisendale
