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

}  // namespace
}  // namespace brisendale
