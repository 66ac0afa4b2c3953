// Retrieving at logon, when the network may come up only later: a Wi-Fi or
// VPN whose secrets wait in the user's keyring connects after the logon.
//
// An attempt that could not reach the server at all (no name, no route,
// refused, no connection before the deadline) is tried again after 5, 10, 20
// and 40 s, then every 60 s, the last one three minutes after the first; and
// at once when the network comes up, the server's spacing still kept. A reply,
// good or bad, ends the retrying: it is handled as the first one would be.
#pragma once

#include <QObject>

#include <chrono>
#include <memory>

#include "sync/scheduler.h"
#include "sync/sync_session.h"

namespace brisendale {

class LateNetworkRetry : public QObject {
    Q_OBJECT

  public:
    static constexpr std::chrono::seconds kGiveUpAfter{180};

    LateNetworkRetry(SyncSession& session, Scheduler& scheduler, QObject* parent = nullptr);

    // The first attempt, at once.
    void Start(int row, int zoneIndex);

    // The computer's network has come up: the next attempt goes now instead
    // of at its time.
    void OnNetworkUp();

  signals:
    // Attempt `attempt` (counted from 1) failed; the next one comes in `nextIn`.
    void attemptFailed(int attempt, const brisendale::SyncFailure& failure,
                       std::chrono::seconds nextIn);
    // The last failure: one no retry can mend, or the one at the end of the
    // three minutes.
    void gaveUp(const brisendale::SyncFailure& failure);

  private:
    void Attempt();
    void OnFailed(const SyncFailure& failure);

    SyncSession& session_;
    Scheduler& scheduler_;
    std::unique_ptr<Alarm> next_;
    MonotonicTime firstAttempt_{};
    int attempts_ = 0;
    int row_ = 0;
    int zoneIndex_ = 0;
};

}  // namespace brisendale
