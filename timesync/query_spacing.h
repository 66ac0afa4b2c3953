// How long to hold back a query so that no server is asked more often than it
// allows. The NIST servers ask every client to leave at least four seconds
// between queries to one server; a client that ignores this may be refused.
//
// The time counts from the last moment of contact with a host: the start of a
// connection, and again its end, so that a slow name lookup or a long exchange
// cannot bring two connections closer together at the server's end.
#pragma once

#include <chrono>
#include <map>
#include <string>

namespace brisendale {

class QuerySpacing {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kMinimumSpacing{4000};

    explicit QuerySpacing(std::chrono::milliseconds spacing = kMinimumSpacing)
        : spacing_(spacing) {}

    // How long a query to `host` must still wait at `now`: zero when it may go
    // at once, rounded up to the next millisecond otherwise so that a timer
    // set to it never fires too early.
    std::chrono::milliseconds WaitBefore(const std::string& host, Clock::time_point now) const;

    // Remembers that `host` was in contact at `now`; an earlier moment never
    // replaces a later one.
    void RecordContact(const std::string& host, Clock::time_point now);

  private:
    std::chrono::milliseconds spacing_;
    std::map<std::string, Clock::time_point> lastContact_;
};

}  // namespace brisendale
