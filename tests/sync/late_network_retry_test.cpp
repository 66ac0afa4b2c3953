// The logon run's retries while the network may not be up yet, on a manual
// scheduler: when attempts go, when they stop, and what ends them at once.
#include "sync/late_network_retry.h"

#include <gtest/gtest.h>

#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_clock.h"

namespace brisendale {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class RetryTest : public ::testing::Test {
  protected:
    FakeTransport transport;
    ManualScheduler scheduler;
    RecordingClock clock;
    SyncSession session{SyncServices{transport, scheduler, clock, [](ClockInstant) { return 0; }}};
    LateNetworkRetry retry{session, scheduler};
    std::vector<std::pair<int, seconds>> retries;
    std::optional<SyncFailure> gaveUp;

    void SetUp() override {
        QObject::connect(&retry, &LateNetworkRetry::attemptFailed,
                         [this](int attempt, const SyncFailure&, seconds next) {
                             retries.emplace_back(attempt, next);
                         });
        QObject::connect(&retry, &LateNetworkRetry::gaveUp,
                         [this](const SyncFailure& failure) { gaveUp = failure; });
    }
    // Lets the newest attempt fail the way a missing network does.
    void NoNetwork() { transport.Fail("Host not found"); }
};

// Attempts at 0, 5, 15, 35, 75, 135 and 180 s; the last failure is final.
TEST_F(RetryTest, RetriesAfterGrowingWaitsAndGivesUpAtThreeMinutes) {
    retry.Start(0, 7);
    const int at[] = {0, 5, 15, 35, 75, 135, 180};
    for (std::size_t i = 0; i < std::size(at); ++i) {
        ASSERT_EQ(transport.Hosts().size(), i + 1) << "attempt at " << at[i] << " s";
        NoNetwork();
        if (i + 1 < std::size(at))
            scheduler.Advance(seconds(at[i + 1] - at[i]));
    }
    const std::vector<std::pair<int, seconds>> expected = {{1, seconds(5)},  {2, seconds(10)},
                                                           {3, seconds(20)}, {4, seconds(40)},
                                                           {5, seconds(60)}, {6, seconds(45)}};
    EXPECT_EQ(retries, expected);
    ASSERT_TRUE(gaveUp);
    EXPECT_EQ(StatusText(*gaveUp), "Status: Winsock Error: Host not found");
    scheduler.Advance(seconds(600));
    EXPECT_EQ(transport.Hosts().size(), std::size(at));
}

// The network coming up brings the next attempt forward, never closer than
// four seconds to the last; coming up while an attempt is under way changes
// nothing.
TEST_F(RetryTest, ANetworkThatComesUpIsTriedAtOnceWithinTheServersSpacing) {
    retry.Start(0, 7);
    retry.OnNetworkUp();
    EXPECT_EQ(transport.Hosts().size(), 1U);
    scheduler.Advance(milliseconds(1000));
    NoNetwork();  // at 1 s: next at 6 s, or at 5 s if the network comes up sooner
    scheduler.Advance(milliseconds(1000));
    retry.OnNetworkUp();
    scheduler.Advance(milliseconds(2999));
    EXPECT_EQ(transport.Hosts().size(), 1U);
    scheduler.Advance(milliseconds(1));
    EXPECT_EQ(transport.Hosts().size(), 2U);
    scheduler.Advance(seconds(9));  // still within the new attempt's deadline
    EXPECT_EQ(transport.Hosts().size(), 2U) << "the scheduled attempt went as well";
}

// A reply, good or bad, and a connection that broke after it was made, are
// what the server said: no retry.
TEST_F(RetryTest, AnythingButAMissingNetworkIsFinal) {
    const std::function<void()> endings[] = {
        [this] { transport.Send(NistLine("12:00:00", '1')); },
        [this] {
            transport.Connect();
            transport.Fail("Connection reset by peer");
        },
    };
    for (const auto& end : endings) {
        gaveUp.reset();
        scheduler.Advance(seconds(10));
        retry.Start(0, 7);
        const std::size_t asked = transport.Hosts().size();
        end();
        EXPECT_TRUE(gaveUp);
        scheduler.Advance(seconds(600));
        EXPECT_EQ(transport.Hosts().size(), asked);
    }
    EXPECT_TRUE(retries.empty());
}

}  // namespace
}  // namespace brisendale
