// The synchronisation engine that the window and the logon run both drive:
// retrieve the time from one of the servers, keep it, set the clock from it.
//
// A retrieval is one DaytimeExchange. The session spaces the exchanges with
// one host as its servers ask, keeps the retrieved time as data (with the
// moment it arrived), and asks the clock to take the server's instant. It owns
// no widget: the window renders its signals, the logon run acts on them.
#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock/system_clock.h"
#include "platform/net/daytime_transport.h"
#include "sync/daytime_exchange.h"
#include "sync/scheduler.h"
#include "sync/sync_status.h"
#include "timesync/query_spacing.h"

namespace brisendale {

// What the engine needs from outside; tests pass fakes.
struct SyncServices {
    DaytimeTransport& transport;
    Scheduler& scheduler;
    SystemClock& clock;
    // The computer's own offset east of Greenwich, in seconds, at an instant.
    std::function<int(ClockInstant)> computerOffsetSeconds;
    // A retrieval that has no whole reply by then is abandoned.
    std::chrono::milliseconds replyDeadline = std::chrono::seconds(15);
    // The least time between two contacts with one server.
    std::chrono::milliseconds querySpacing = QuerySpacing::kMinimumSpacing;
};

class SyncSession : public QObject {
    Q_OBJECT

  public:
    explicit SyncSession(SyncServices services, QObject* parent = nullptr);
    ~SyncSession() override;

    // Starts retrieving the time from server `row` (a row of the server
    // table) for the zone list's `zoneIndex`, ending any retrieval under way
    // first. Reports connecting(), then exactly one of retrieved() and
    // retrievalFailed(); a retired or missing row fails at once.
    void Retrieve(int row, int zoneIndex);

    // The server or the zone changed: ends any retrieval and forgets the
    // retrieved time.
    void Discard();

    // Asks the clock to take the retrieved server's instant: the time of day
    // the server sent, on the nearest date, plus the time since it arrived.
    // Does nothing unless CanSetClock().
    void SetClock(Authorisation authorisation);

    // Ends a retrieval under way, or its wait for its turn; nothing more is
    // reported of it.
    void Cancel();

    // A retrieved time is held, not yet set, and no request is waiting.
    bool CanSetClock() const;

  signals:
    void connecting();
    // `shownTime` is the server's time of day shifted into the chosen zone.
    void retrieved(const QString& shownTime);
    void retrievalFailed(const brisendale::SyncFailure& failure);
    void discarded();
    // The clock asks someone's leave first, which may take minutes.
    void awaitingAuthorisation();
    void clockSet(const brisendale::ClockSetReport& report);
    void clockRefused(const brisendale::SyncFailure& failure);
    void canSetClockChanged(bool canSet);

  private:
    struct Retrieved {
        int id;  // counts retrievals, to tell one from the next
        ReplyTime reply;
        ClockInstant clockAtArrival;
        std::string host;
        std::string shownTime;
        int zoneIndex;
    };

    void StartWhenAllowed();
    void OnExchangeEnded(const ExchangeOutcome& outcome);
    void OnClockAnswer(const std::optional<ClockRefusal>& refusal, const ClockSetReport& report,
                       int retrievedId);
    // Ends the exchange under way, if any; its host's spacing counts from now.
    void EndExchange();
    void ReportCanSetClock();

    SyncServices services_;
    QuerySpacing spacing_;
    std::unique_ptr<Alarm> turn_;  // holds a retrieval back until its host may be asked
    std::unique_ptr<DaytimeExchange> exchange_;
    std::string host_;  // of the retrieval under way or waiting its turn
    int zoneIndex_ = 0;
    std::optional<Retrieved> retrieved_;
    int retrievals_ = 0;
    int setId_ = 0;  // the retrieval whose time the clock took last
    bool exchangeRunning_ = false;
    bool awaitingClock_ = false;
    bool couldSetClock_ = false;
};

}  // namespace brisendale
