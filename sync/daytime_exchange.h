// One exchange with a Daytime server (RFC 867): connect, collect the line the
// server sends unasked, judge it. Exactly one outcome per exchange, whichever
// comes first: a judged reply, a failed or broken connection, the server
// closing, or the deadline.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <variant>

#include "platform/clock/system_clock.h"
#include "platform/net/daytime_transport.h"
#include "sync/scheduler.h"
#include "sync/sync_status.h"
#include "timesync/daytime_reply.h"

namespace brisendale {

// A reply that can be trusted.
struct ReplyTime {
    std::string timeField;  // "HH:MM:SS", UTC, as the server wrote it
    TimeOfDay utc;          // the same, read
    MonotonicTime arrivedAt;
};

using ExchangeOutcome = std::variant<ReplyTime, SyncFailure>;

class DaytimeExchange {
  public:
    // Starts at once. `done` is called exactly once, from the event loop,
    // unless the exchange is destroyed first; it may destroy the exchange.
    DaytimeExchange(DaytimeTransport& transport, Scheduler& scheduler, const std::string& host,
                    std::chrono::milliseconds deadline,
                    std::function<void(const ExchangeOutcome&)> done);
    ~DaytimeExchange();
    DaytimeExchange(const DaytimeExchange&) = delete;
    DaytimeExchange& operator=(const DaytimeExchange&) = delete;

  private:
    void OnReceived(std::string_view bytes);
    void OnClosedByPeer();
    void OnFailed(const std::string& description);
    void OnDeadline();
    void Judge();
    // The one way out: reports `outcome` unless the exchange has ended already.
    void Finish(const ExchangeOutcome& outcome);

    Scheduler& scheduler_;
    std::function<void(const ExchangeOutcome&)> done_;
    std::unique_ptr<Alarm> deadline_;
    std::unique_ptr<DaytimeLink> link_;
    DaytimeReply reply_;
    bool connected_ = false;
    bool ended_ = false;
};

}  // namespace brisendale
