// The session against a server played by hand, a manual scheduler and a
// recording clock: which hosts it asks and when, what it reports, and what it
// asks the clock to take.
#include "sync/sync_session.h"

#include <gtest/gtest.h>

#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_clock.h"
#include "timesync/server_table.h"

namespace brisendale {
namespace {

using std::chrono::milliseconds;

// What the session reported, in order, one word each.
struct Reports {
    explicit Reports(SyncSession& session) {
        QObject::connect(&session, &SyncSession::connecting,
                         [this] { said.push_back("connecting"); });
        QObject::connect(&session, &SyncSession::retrieved,
                         [this](const QString& time) { said.push_back(time.toStdString()); });
        QObject::connect(&session, &SyncSession::retrievalFailed, [this](const SyncFailure& f) {
            said.push_back(StatusText(f));
            failures.push_back(f);
        });
        QObject::connect(&session, &SyncSession::discarded,
                         [this] { said.push_back("discarded"); });
    }
    std::vector<std::string> said;
    std::vector<SyncFailure> failures;
};

class SessionTest : public ::testing::Test {
  protected:
    FakeTransport transport;
    ManualScheduler scheduler;
    RecordingClock clock;
    SyncSession session{SyncServices{transport, scheduler, clock, [](ClockInstant) { return 0; }}};
    Reports reports{session};

    void Answer(const std::string& line = NistLine()) {
        transport.Connect();
        transport.Send(line);
    }
};

// A retired row is refused at once, without a name lookup; every other row
// asks its own host, and the time is shown shifted into the chosen zone.
TEST_F(SessionTest, AsksTheChosenRowsOwnHostAndNeverARetiredOne) {
    for (int row = -1; row <= kServerCount; ++row) {
        SCOPED_TRACE(row);
        const std::size_t asked = transport.Hosts().size();
        reports.said.clear();
        scheduler.Advance(milliseconds(4000));
        session.Retrieve(row, 7);
        const TimeServer* server = ServerAt(row);
        if (server == nullptr) {
            EXPECT_EQ(reports.said,
                      (std::vector<std::string>{"connecting", "Status: Error Occurred."}));
        } else if (server->retired) {
            EXPECT_EQ(reports.said.size(), 1U);
            EXPECT_EQ(reports.failures.back().kind, FailureKind::kServerRetired);
        } else {
            ASSERT_EQ(transport.Hosts().size(), asked + 1);
            EXPECT_EQ(transport.Hosts().back(), server->host);
            Answer();
            EXPECT_EQ(reports.said, (std::vector<std::string>{"connecting", "07:00:00"}));
            continue;
        }
        EXPECT_EQ(transport.Hosts().size(), asked) << "no host looked up";
    }
}

// A host is asked again only four seconds after the last contact with it,
// its start or its end; another host at once; a change of server, zone or
// closing while it waits cancels the wait.
TEST_F(SessionTest, SpacesContactsWithOneHostAndCancelsTheWait) {
    session.Retrieve(0, 7);
    Answer();
    scheduler.Advance(milliseconds(1000));
    session.Retrieve(0, 7);
    scheduler.Advance(milliseconds(2999));
    EXPECT_EQ(transport.Hosts().size(), 1U);
    scheduler.Advance(milliseconds(1));
    EXPECT_EQ(transport.Hosts().size(), 2U);
    scheduler.Advance(milliseconds(2000));
    session.Retrieve(0, 7);  // abandons the one under way, a contact too
    session.Retrieve(1, 7);
    EXPECT_EQ(transport.Hosts().size(), 3U) << "another host goes at once";
    session.Retrieve(0, 7);
    scheduler.Advance(milliseconds(3999));
    EXPECT_EQ(transport.Hosts().size(), 3U);
    scheduler.Advance(milliseconds(1));
    EXPECT_EQ(transport.Hosts().size(), 4U);
    for (const auto cancel : {&SyncSession::Discard, &SyncSession::Cancel}) {
        session.Retrieve(0, 7);
        const std::size_t asked = transport.Hosts().size();
        session.Retrieve(0, 7);
        (session.*cancel)();
        scheduler.Advance(milliseconds(10000));
        EXPECT_EQ(transport.Hosts().size(), asked);
        EXPECT_FALSE(transport.LinkOpen());
    }
}

// Answers only when told, as timedated does once a password dialog closes.
class LateClock : public RecordingClock {
  public:
    void RequestTime(ClockInstant instant, Authorisation how, const ClockAnswer& done) override {
        asked.emplace_back(instant, how);
        pending = done;
    }
    void Answer(const std::optional<ClockRefusal>& refusal) {
        std::exchange(pending, nullptr)(refusal);
    }

    std::vector<std::pair<ClockInstant, Authorisation>> asked;
    ClockAnswer pending;
};

// The instant set is the server's, carried forward by the time since it
// arrived, on the date nearest the computer's clock, whatever zone the user
// chose and whatever zone the computer is in.
TEST(SessionClock, SetsTheServersInstantWhateverTheZonesAndHoweverLateSetIsPressed) {
    using namespace std::chrono;
    const sys_days day = year{2026} / 12 / 7;
    struct Row {
        ClockInstant reading;
        const char* serverTime;
        ClockInstant expected;
    };
    const Row rows[] = {
        {day + hours(23) + minutes(43), "00:00:00", day + days(1) + milliseconds(20500)},  // slow
        {day + minutes(5), "23:59:00",
         day - days(1) + hours(23) + minutes(59) + milliseconds(20500)},
    };
    for (const Row& row : rows) {
        for (const int zone : {0, 7, 12, 17, 24}) {
            for (const int computerOffset : {0, 19800, 32400, -18000, 46800}) {
                SCOPED_TRACE(std::string(row.serverTime) + " zone " + std::to_string(zone) +
                             " computer " + std::to_string(computerOffset));
                FakeTransport transport;
                ManualScheduler scheduler;
                RecordingClock clock;
                clock.SetNow(row.reading);
                SyncSession session{SyncServices{transport, scheduler, clock,
                                                 [=](ClockInstant) { return computerOffset; }}};
                std::optional<ClockSetReport> report;
                QObject::connect(&session, &SyncSession::clockSet,
                                 [&](const ClockSetReport& r) { report = r; });
                session.Retrieve(0, zone);
                transport.Send(NistLine(row.serverTime));
                scheduler.Advance(seconds(20));
                clock.Advance(hours(1));  // the computer's clock moving changes nothing
                session.SetClock(Authorisation::kMayAskUser);
                ASSERT_EQ(clock.Asked(), std::vector<ClockInstant>{row.expected});
                ASSERT_TRUE(report);
                EXPECT_EQ(report->computerOffsetSeconds, computerOffset);
                EXPECT_EQ(report->chosenOffsetSeconds, (zone - 12) * 3600);
                EXPECT_EQ(report->correction, row.expected - (row.reading + hours(1)));
                EXPECT_FALSE(session.CanSetClock()) << "the same time set twice";
            }
        }
    }
}

// While someone is asked for leave the time cannot be set again; a refusal
// offers it again, and a time retrieved meanwhile is offered once the answer
// is in.
TEST_F(SessionTest, WaitsForLeaveAndOffersTheTimeAgainWhenRefused) {
    LateClock late;
    SyncSession waiting{SyncServices{transport, scheduler, late, [](ClockInstant) { return 0; }}};
    std::vector<std::string> said;
    QObject::connect(&waiting, &SyncSession::awaitingAuthorisation,
                     [&] { said.push_back("wait"); });
    QObject::connect(&waiting, &SyncSession::clockSet, [&] { said.push_back("set"); });
    QObject::connect(&waiting, &SyncSession::clockRefused,
                     [&](const SyncFailure& f) { said.push_back(StatusText(f)); });
    waiting.Retrieve(0, 7);
    Answer();
    waiting.SetClock(Authorisation::kMayAskUser);
    EXPECT_FALSE(waiting.CanSetClock());
    waiting.SetClock(Authorisation::kMayAskUser);
    EXPECT_EQ(late.asked.size(), 1U) << "asked twice while waiting";
    late.Answer(ClockRefusal{"cancelled"});
    EXPECT_TRUE(waiting.CanSetClock());
    waiting.SetClock(Authorisation::kMustNotAskUser);
    EXPECT_EQ(late.asked.back().second, Authorisation::kMustNotAskUser);
    scheduler.Advance(milliseconds(4000));
    waiting.Retrieve(0, 7);
    Answer();
    EXPECT_FALSE(waiting.CanSetClock());
    late.Answer(std::nullopt);
    EXPECT_TRUE(waiting.CanSetClock()) << "the newer time is not set yet";
    EXPECT_EQ(said, (std::vector<std::string>{"wait", "The system time could not be set: cancelled",
                                              "wait", "set"}));
}

}  // namespace
}  // namespace brisendale
