// One exchange against a server played by hand, on time moved by hand.
#include "sync/daytime_exchange.h"

#include <gtest/gtest.h>

#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"

namespace brisendale {
namespace {

using std::chrono::milliseconds;
constexpr milliseconds kDeadline{15000};

struct Row {
    const char* name;
    std::function<void(FakeTransport&, ManualScheduler&)> server;
    FailureKind failure;  // kNotStarted here: a time, "12:00:00"
    const char* detail;
};

// Every way an exchange can end, each exactly once, with the connection closed.
TEST(DaytimeExchange, EndsOnceWithATrustedTimeOrWhatWentWrong) {
    const std::string line = NistLine();
    const auto trusted = FailureKind::kNotStarted;
    const Row rows[] = {
        {"line in two pieces, just before the deadline",
         [&](FakeTransport& t, ManualScheduler& s) {
             t.Connect();
             t.Send(line.substr(0, 20));
             s.Advance(kDeadline - milliseconds(1));
             t.Send(line.substr(20));
         },
         trusted, ""},
        {"line cut short by the server's close",
         [&](FakeTransport& t, ManualScheduler&) {
             t.Connect();
             t.Send(line.substr(0, line.size() - 4));
             t.CloseByPeer();
         },
         trusted, ""},
        {"not a NIST line",
         [](FakeTransport& t, ManualScheduler&) {
             t.Send("12:00:00 UTC\r\n");
             t.CloseByPeer();
         },
         FailureKind::kInvalidReply, ""},
        {"server in doubt",
         [](FakeTransport& t, ManualScheduler&) { t.Send(NistLine("12:00:00", '2')); },
         FailureKind::kServerUnhealthy, ""},
        {"closed without a byte",
         [](FakeTransport& t, ManualScheduler&) {
             t.Connect();
             t.CloseByPeer();
         },
         FailureKind::kConnectionFailed, "Connection closed by server"},
        {"refused", [](FakeTransport& t, ManualScheduler&) { t.Fail("Connection refused"); },
         FailureKind::kNoConnection, "Connection refused"},
        {"reset mid-line",
         [&](FakeTransport& t, ManualScheduler&) {
             t.Connect();
             t.Send(line.substr(0, 10));
             t.Fail("Connection reset by peer");
         },
         FailureKind::kConnectionFailed, "Connection reset by peer"},
        {"silent server",
         [](FakeTransport& t, ManualScheduler& s) {
             t.Connect();
             s.Advance(kDeadline);
         },
         FailureKind::kConnectionFailed, "Connection timed out"},
        {"no connection by the deadline",
         [](FakeTransport&, ManualScheduler& s) { s.Advance(kDeadline); },
         FailureKind::kNoConnection, "Connection timed out"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeTransport transport;
        ManualScheduler scheduler;
        std::vector<ExchangeOutcome> outcomes;
        DaytimeExchange exchange(transport, scheduler, "time.example", kDeadline,
                                 [&](const ExchangeOutcome& o) { outcomes.push_back(o); });
        EXPECT_EQ(transport.hosts, std::vector<std::string>{"time.example"});
        row.server(transport, scheduler);
        ASSERT_EQ(outcomes.size(), 1U);
        EXPECT_FALSE(transport.LinkOpen());
        scheduler.Advance(kDeadline);  // a deadline already stopped stays silent
        EXPECT_EQ(outcomes.size(), 1U);
        if (row.failure == trusted) {
            const auto* time = std::get_if<ReplyTime>(&outcomes[0]);
            ASSERT_NE(time, nullptr);
            EXPECT_EQ(time->timeField, "12:00:00");
            EXPECT_EQ(time->utc, (TimeOfDay{12, 0, 0}));
        } else {
            const auto* failure = std::get_if<SyncFailure>(&outcomes[0]);
            ASSERT_NE(failure, nullptr);
            EXPECT_EQ(failure->kind, row.failure);
            EXPECT_EQ(failure->detail, row.detail);
        }
    }
}

}  // namespace
}  // namespace brisendale
