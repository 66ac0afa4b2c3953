// The session on the engine's fakes: which hosts it asks and when, what it reports and sets.
#include "sync/sync_session.h"

#include <gtest/gtest.h>

#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_clock.h"
#include "timesync/server_table.h"

namespace brisendale {
namespace {

using std::chrono::milliseconds;

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

// A retired row is refused without a name lookup; the time is shown in the chosen zone.
TEST_F(SessionTest, AsksTheChosenRowsOwnHostAndNeverARetiredOne) {
    for (int row = -1; row <= kServerCount; ++row) {
        SCOPED_TRACE(row);
        const std::size_t asked = transport.hosts.size();
        said.clear();
        session.Retrieve(row, 7);  // every host a different one: no spacing
        const TimeServer* server = ServerAt(row);
        if (server && !server->retired) {
            ASSERT_EQ(transport.hosts.size(), asked + 1);
            EXPECT_EQ(transport.hosts.back(), server->host);
            transport.Send(NistLine());
            EXPECT_EQ(said, (std::vector<std::string>{"connecting", "07:00:00"}));
        } else {
            EXPECT_EQ(transport.hosts.size(), asked) << "no host looked up";
            const std::string retired = StatusText({FailureKind::kServerRetired, {}});
            const std::string missing = StatusText({FailureKind::kNotStarted, {}});
            const std::string connecting = "connecting";
            EXPECT_EQ(said, (server ? std::vector{retired} : std::vector{connecting, missing}));
        }
    }
}

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

// The server's instant, dated by the clock when it arrived and carried forward
// since; the chosen zone changes only what is shown. No second request while one
// waits for leave; a refusal, or a newer time, is settable again once it is in.
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

}  // namespace
}  // namespace brisendale
