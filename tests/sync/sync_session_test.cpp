// The session on the engine's fakes: when it asks a host, what it reports and sets; the
// logon run's retries on it.
#include "sync/sync_session.h"

#include <gtest/gtest.h>

#include "sync/late_network_retry.h"
#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_clock.h"

namespace brisendale {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Answers only when told, as timedated does once a password dialog closes.
struct LateClock : RecordingClock {
    void RequestTime(ClockInstant instant, Authorisation how, const ClockAnswer& done) override {
        requests.emplace_back(instant, how);
        answer = done;
    }
    std::vector<std::pair<ClockInstant, Authorisation>> requests;
    ClockAnswer answer;
};

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto say = [this](const char* what) {
            return [this, what] { said.push_back(what); };
        };
        const auto tell = [this](const SyncFailure& f) { said.push_back(StatusText(f)); };
        QObject::connect(&session, &SyncSession::connecting, say("connecting"));
        QObject::connect(&session, &SyncSession::retrieved,
                         [this](const QString& time) { said.push_back(time.toStdString()); });
        QObject::connect(&session, &SyncSession::retrievalFailed, tell);
        QObject::connect(&session, &SyncSession::awaitingAuthorisation, say("wait"));
        QObject::connect(&session, &SyncSession::clockSet,
                         [this](const ClockSetReport& r) { report = r; });
        QObject::connect(&session, &SyncSession::clockRefused, tell);
    }

    FakeTransport transport;
    ManualScheduler scheduler;
    LateClock clock;
    SyncSession session{
        SyncServices{transport, scheduler, clock, [](ClockInstant) { return 19800; }}};
    std::vector<std::string> said;  // what the session reported, in order
    std::optional<ClockSetReport> report;
};

// Four seconds from the last contact with a host, its start or its end, before
// the next; another host at once; a discarded or cancelled wait never goes.
TEST_F(SessionTest, SpacesContactsWithOneHostAndCancelsTheWait) {
    session.Retrieve(0, 7);
    transport.Send(NistLine());
    scheduler.Advance(milliseconds(1000));
    session.Retrieve(0, 7);
    scheduler.Advance(milliseconds(2999));
    EXPECT_EQ(transport.hosts.size(), 1U);
    scheduler.Advance(milliseconds(1));
    EXPECT_EQ(transport.hosts.size(), 2U);
    scheduler.Advance(milliseconds(2000));
    session.Retrieve(0, 7);  // abandons the one under way, a contact too
    session.Retrieve(1, 7);
    EXPECT_EQ(transport.hosts.size(), 3U) << "another host goes at once";
    session.Retrieve(0, 7);
    scheduler.Advance(milliseconds(3999));
    EXPECT_EQ(transport.hosts.size(), 3U);
    scheduler.Advance(milliseconds(1));
    EXPECT_EQ(transport.hosts.size(), 4U);
    session.Discard();  // abandoned: one contact, however often the session ends it after
    scheduler.Advance(milliseconds(3000));
    session.Discard();
    session.Retrieve(0, 7);
    scheduler.Advance(milliseconds(1000));
    EXPECT_EQ(transport.hosts.size(), 5U);
    for (const auto cancel : {&SyncSession::Discard, &SyncSession::Cancel}) {
        session.Retrieve(0, 7);
        const std::size_t asked = transport.hosts.size();
        session.Retrieve(0, 7);
        (session.*cancel)();
        scheduler.Advance(milliseconds(10000));
        EXPECT_EQ(transport.hosts.size(), asked);
        EXPECT_FALSE(transport.LinkOpen());
    }
}

// The server's instant, dated by the clock at its arrival and carried forward; the zone changes
// only what is shown. One request at a time; a refusal or a newer time may be set again.
TEST_F(SessionTest, SetsTheServersInstantHoweverLateSetIsPressedAndOnlyOnceAtATime) {
    using namespace std::chrono;
    using enum Authorisation;
    const sys_days day = year{2026} / 12 / 7;
    clock.now = day + minutes(5);  // a clock six minutes fast, just after midnight
    session.Retrieve(0, 17);
    transport.Send(NistLine("23:59:00"));
    scheduler.Advance(seconds(20));
    clock.now += hours(13);  // the computer's clock moving changes nothing
    session.SetClock(kMayAskUser);
    session.SetClock(kMayAskUser);
    std::exchange(clock.answer, nullptr)(ClockRefusal{"cancelled"});
    EXPECT_TRUE(session.CanSetClock());
    session.SetClock(kMustNotAskUser);
    scheduler.Advance(milliseconds(4000));
    session.Retrieve(0, 17);
    transport.Send(NistLine());
    EXPECT_FALSE(session.CanSetClock()) << "asked while a request waits";
    std::exchange(clock.answer, nullptr)(std::nullopt);
    const ClockInstant expected = day - days(1) + hours(23) + minutes(59) + milliseconds(20500);
    EXPECT_EQ(clock.requests, (std::vector{std::pair(expected, kMayAskUser),
                                           std::pair(expected, kMustNotAskUser)}));
    ASSERT_TRUE(report);
    EXPECT_EQ(report->shownTime, "04:59:00");
    EXPECT_EQ(report->computerOffsetSeconds, 19800);
    EXPECT_EQ(report->chosenOffsetSeconds, 5 * 3600);
    EXPECT_EQ(report->correction, expected - (day + minutes(5) + hours(13)));
    EXPECT_TRUE(session.CanSetClock()) << "the newer time is not set yet";
    session.SetClock(kMayAskUser);
    std::exchange(clock.answer, nullptr)(std::nullopt);
    EXPECT_FALSE(session.CanSetClock()) << "the same time set twice";
    EXPECT_EQ(said, (std::vector<std::string>{"connecting", "04:59:00", "wait",
                                              "The system time could not be set: cancelled", "wait",
                                              "connecting", "17:00:00", "wait"}));
}

// When the attempts go, and what ends them.
class RetryTest : public SessionTest {
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
