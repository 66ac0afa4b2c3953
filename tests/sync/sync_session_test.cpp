// The session on the engine's fakes: which hosts it asks and when, what it
// reports, and what it asks the clock to take.
#include "sync/sync_session.h"

#include <gtest/gtest.h>

#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_clock.h"
#include "timesync/server_table.h"

namespace brisendale {
namespace {

using std::chrono::milliseconds;

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QObject::connect(&session, &SyncSession::connecting,
                         [this] { said.push_back("connecting"); });
        QObject::connect(&session, &SyncSession::retrieved,
                         [this](const QString& time) { said.push_back(time.toStdString()); });
        QObject::connect(&session, &SyncSession::retrievalFailed,
                         [this](const SyncFailure& f) { said.push_back(StatusText(f)); });
    }

    FakeTransport transport;
    ManualScheduler scheduler;
    RecordingClock clock;
    int computerOffset = 0;
    SyncSession session{
        SyncServices{transport, scheduler, clock, [this](ClockInstant) { return computerOffset; }}};
    std::vector<std::string> said;  // what the session reported, in order
};

// A retired row is refused without a name lookup; the time is shown in the chosen zone.
TEST_F(SessionTest, AsksTheChosenRowsOwnHostAndNeverARetiredOne) {
    for (int row = -1; row <= kServerCount; ++row) {
        SCOPED_TRACE(row);
        const std::size_t asked = transport.hosts.size();
        said.clear();
        scheduler.Advance(milliseconds(4000));
        session.Retrieve(row, 7);
        const TimeServer* server = ServerAt(row);
        const auto failed = [&](FailureKind kind) { return StatusText(SyncFailure{kind, {}}); };
        if (server == nullptr) {
            EXPECT_EQ(said,
                      (std::vector{std::string("connecting"), failed(FailureKind::kNotStarted)}));
        } else if (server->retired) {
            EXPECT_EQ(said, std::vector{failed(FailureKind::kServerRetired)});
        } else {
            ASSERT_EQ(transport.hosts.size(), asked + 1);
            EXPECT_EQ(transport.hosts.back(), server->host);
            transport.Send(NistLine());
            EXPECT_EQ(said, (std::vector<std::string>{"connecting", "07:00:00"}));
            continue;
        }
        EXPECT_EQ(transport.hosts.size(), asked) << "no host looked up";
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
// since; the chosen zone changes only what is shown.
TEST_F(SessionTest, SetsTheServersInstantHoweverLateSetIsPressed) {
    using namespace std::chrono;
    const sys_days day = year{2026} / 12 / 7;
    clock.SetNow(day + minutes(5));  // a clock six minutes fast, just after midnight
    computerOffset = 19800;
    std::optional<ClockSetReport> report;
    QObject::connect(&session, &SyncSession::clockSet,
                     [&](const ClockSetReport& r) { report = r; });
    session.Retrieve(0, 17);
    transport.Send(NistLine("23:59:00"));
    scheduler.Advance(seconds(20));
    clock.Advance(hours(13));  // the computer's clock moving changes nothing
    session.SetClock(Authorisation::kMayAskUser);
    const ClockInstant expected = day - days(1) + hours(23) + minutes(59) + milliseconds(20500);
    ASSERT_EQ(clock.Asked(), std::vector{expected});
    ASSERT_TRUE(report);
    EXPECT_EQ(report->shownTime, "04:59:00");
    EXPECT_EQ(report->computerOffsetSeconds, 19800);
    EXPECT_EQ(report->chosenOffsetSeconds, 5 * 3600);
    EXPECT_EQ(report->correction, expected - (day + minutes(5) + hours(13)));
    EXPECT_FALSE(session.CanSetClock()) << "the same time set twice";
}

// Answers only when told, as timedated does once a password dialog closes.
class LateClock : public RecordingClock {
  public:
    void RequestTime(ClockInstant instant, Authorisation how, const ClockAnswer& done) override {
        asked.emplace_back(instant, how);
        pending = done;
    }
    std::vector<std::pair<ClockInstant, Authorisation>> asked;
    ClockAnswer pending;
};

// No second request while one waits for leave; a refusal, or a newer time, is
// settable again once the answer is in.
TEST_F(SessionTest, WaitsForLeaveAndOffersTheTimeAgainWhenRefused) {
    LateClock late;
    SyncSession waiting{SyncServices{transport, scheduler, late, [](ClockInstant) { return 0; }}};
    QObject::connect(&waiting, &SyncSession::awaitingAuthorisation,
                     [&] { said.push_back("wait"); });
    QObject::connect(&waiting, &SyncSession::clockSet, [&] { said.push_back("set"); });
    QObject::connect(&waiting, &SyncSession::clockRefused,
                     [&](const SyncFailure& f) { said.push_back(StatusText(f)); });
    waiting.Retrieve(0, 7);
    transport.Send(NistLine());
    waiting.SetClock(Authorisation::kMayAskUser);
    waiting.SetClock(Authorisation::kMayAskUser);
    EXPECT_EQ(late.asked.size(), 1U) << "asked twice while waiting";
    std::exchange(late.pending, nullptr)(ClockRefusal{"cancelled"});
    EXPECT_TRUE(waiting.CanSetClock());
    waiting.SetClock(Authorisation::kMustNotAskUser);
    EXPECT_EQ(late.asked.back().second, Authorisation::kMustNotAskUser);
    scheduler.Advance(milliseconds(4000));
    waiting.Retrieve(0, 7);
    transport.Send(NistLine());
    EXPECT_FALSE(waiting.CanSetClock());
    std::exchange(late.pending, nullptr)(std::nullopt);
    EXPECT_TRUE(waiting.CanSetClock()) << "the newer time is not set yet";
    EXPECT_EQ(said, (std::vector<std::string>{"wait", "The system time could not be set: cancelled",
                                              "wait", "set"}));
}

}  // namespace
}  // namespace brisendale
