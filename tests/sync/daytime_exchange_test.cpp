// One exchange against a server played by hand, on time moved by hand.
#include "sync/daytime_exchange.h"

#include <gtest/gtest.h>

#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"

namespace brisendale {
namespace {

using std::chrono::milliseconds;
using enum FailureKind;
constexpr milliseconds kDeadline{15000};

// Every way an exchange can end, each exactly once, with the connection closed.
TEST(DaytimeExchange, EndsOnceWithATrustedTimeOrWhatWentWrong) {
    FakeTransport transport;
    ManualScheduler scheduler;
    using Step = std::function<void()>;
    const std::string line = NistLine();
    const Step connect = [&] { transport.Connect(); };
    const Step timeOnly = [&] { transport.Send(line.substr(0, 24)); };  // up to the time
    const Step rest = [&] { transport.Send(line.substr(24)); };
    const Step close = [&] { transport.CloseByPeer(); };
    const Step nearlyTimeUp = [&] { scheduler.Advance(kDeadline - milliseconds(1)); };
    const Step timeUp = [&] { scheduler.Advance(kDeadline); };
    const Step refused = [&] { transport.Fail("Connection refused"); };
    const Step reset = [&] { transport.Fail("Connection reset by peer"); };
    const Step notNist = [&] { transport.Send("12:00:00 UTC\r\n"); };
    const Step inDoubt = [&] { transport.Send(NistLine("12:00:00", '2')); };
    const struct {
        std::vector<Step> server;
        FailureKind failure;  // kNotStarted here: a time, "12:00:00"
        const char* detail;
    } rows[] = {
        {{connect, timeOnly, nearlyTimeUp, rest}, kNotStarted, ""},
        {{connect, timeOnly, close}, kNotStarted, ""},
        {{notNist, close}, kInvalidReply, ""},
        {{inDoubt}, kServerUnhealthy, ""},
        {{connect, close}, kConnectionFailed, "Connection closed by server"},
        {{refused}, kNoConnection, "Connection refused"},
        {{connect, timeOnly, reset}, kConnectionFailed, "Connection reset by peer"},
        {{connect, timeUp}, kConnectionFailed, "Connection timed out"},
        {{timeUp}, kNoConnection, "Connection timed out"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        std::vector<ExchangeOutcome> outcomes;
        DaytimeExchange exchange(transport, scheduler, "time.example", kDeadline,
                                 [&](const ExchangeOutcome& o) { outcomes.push_back(o); });
        for (const Step& step : row.server)
            step();
        ASSERT_EQ(outcomes.size(), 1U);
        EXPECT_FALSE(transport.LinkOpen());
        scheduler.Advance(kDeadline);  // a deadline already stopped stays silent
        EXPECT_EQ(outcomes.size(), 1U);
        if (row.failure == kNotStarted) {
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
    EXPECT_EQ(transport.hosts, std::vector<std::string>(std::size(rows), "time.example"));
}

}  // namespace
}  // namespace brisendale
