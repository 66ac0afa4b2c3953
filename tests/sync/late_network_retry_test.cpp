// The logon run's retries on a manual scheduler: when attempts go, and what ends them.
#include "sync/late_network_retry.h"

#include <gtest/gtest.h>

#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_clock.h"

namespace brisendale {
namespace {

using std::chrono::seconds;

class RetryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QObject::connect(&retry, &LateNetworkRetry::attemptFailed,
                         [this](int attempt, const SyncFailure&, seconds next) {
                             retries.emplace_back(attempt, next);
                         });
        QObject::connect(&retry, &LateNetworkRetry::gaveUp,
                         [this](const SyncFailure& failure) { gaveUp = failure; });
        retry.Start(0, 7);
    }

    FakeTransport transport;
    ManualScheduler scheduler;
    RecordingClock clock;
    SyncSession session{SyncServices{transport, scheduler, clock, [](ClockInstant) { return 0; }}};
    LateNetworkRetry retry{session, scheduler};
    std::vector<std::pair<int, seconds>> retries;
    std::optional<SyncFailure> gaveUp;
};

// Each failed attempt announces the wait until the next; the last failure is final.
TEST_F(RetryTest, RetriesAfterGrowingWaitsAndGivesUpAtThreeMinutes) {
    const int at[] = {0, 5, 15, 35, 75, 135, 180};
    for (std::size_t i = 0; i < std::size(at); ++i) {
        ASSERT_EQ(transport.hosts.size(), i + 1) << "attempt at " << at[i] << " s";
        transport.Fail("Host not found");
        if (i + 1 == std::size(at))
            break;
        ASSERT_EQ(retries.size(), i + 1);
        EXPECT_EQ(retries.back(), std::pair(int(i) + 1, seconds(at[i + 1] - at[i])));
        scheduler.Advance(seconds(at[i + 1] - at[i]));
    }
    ASSERT_TRUE(gaveUp);
    EXPECT_EQ(StatusText(*gaveUp), "Status: Winsock Error: Host not found");
    scheduler.Advance(seconds(600));
    EXPECT_EQ(transport.hosts.size(), std::size(at));
}

// The network coming up brings the waiting attempt forward, but not a second one;
// a connection that broke after it was made reached the server: no retry.
TEST_F(RetryTest, ANetworkThatComesUpIsTriedAtOnceAndABrokenConnectionIsFinal) {
    retry.OnNetworkUp();
    EXPECT_EQ(transport.hosts.size(), 1U);
    transport.Fail("Host not found");  // the next at 5 s
    scheduler.Advance(seconds(4));
    retry.OnNetworkUp();
    EXPECT_EQ(transport.hosts.size(), 2U);
    scheduler.Advance(seconds(9));  // still within the new attempt's deadline
    EXPECT_EQ(transport.hosts.size(), 2U) << "the scheduled attempt went as well";
    transport.Connect();
    transport.Fail("Connection reset by peer");
    EXPECT_TRUE(gaveUp);
    scheduler.Advance(seconds(600));
    EXPECT_EQ(transport.hosts.size(), 2U);
    EXPECT_EQ(retries.size(), 1U);
}

}  // namespace
}  // namespace brisendale
