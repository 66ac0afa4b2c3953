// Retrieving the time from a loopback server and setting the clock from it.
#include "test_runtime.h"

#include "tests/support/daytime_test_server.h"
#ifdef BRISENDALE_WITH_TIMEDATED
#include "platform/clock/system_clock_timedated.h"
#include "tests/support/mock_timedated.h"
#endif

namespace brisendale::testing {
namespace {

using ExchangeTest = FormTest;
using Behaviour = DaytimeTestServer::Behaviour;

const QString kSuccess = QStringLiteral("Status: Atomic time successfully received.");

// Each way an exchange can end, asked through list position 7, which must be
// row 7's host: nothing listens on 127.0.0.8. Only a trusted reply shows the
// time, in the default zone five hours behind, and offers to set the clock.
TEST_F(ExchangeTest, OnlyATrustedReplyShowsTheTimeAndOffersToSetTheClock) {
    const std::tuple<QByteArray, Behaviour, const char*, QString> rows[] = {
        {DaytimeTestServer::NistLine(), Behaviour::SendLine, "127.0.0.1",
         "Atomic time successfully received."},
        {"12:00:00 UTC\r\n", Behaviour::SendLine, "127.0.0.1", "Invalid reply from server."},
        {"\n61380 26-12-06 12:00:00 00 0 2 812.3 UTC(NIST) *\n", Behaviour::SendLine, "127.0.0.1",
         "Server reports its time may be wrong; try another server."},
        {{}, Behaviour::Silent, "127.0.0.1", "Winsock Error: Connection timed out"},
        {{}, Behaviour::CloseAtOnce, "127.0.0.1", "Winsock Error: Connection closed by server"},
        {{}, Behaviour::SendLine, "127.0.0.8", "Winsock Error: "}};
    for (const auto& [reply, behaviour, host, status] : rows) {
        SCOPED_TRACE(status.toStdString());
        DaytimeTestServer server(reply, behaviour);
        RecordingClock rowClock;
        MainForm& form = StartForm(server.Port(), 1000, &rowClock);
        form.servers.ServerHost[7] = host;
        ui->serverList->setCurrentIndex(7);
        ui->retrieveButton->click();
        ASSERT_TRUE(WaitForStatus("Status: " + status, 4000))
            << ui->statusLabel->text().toStdString();
        const bool trusted = reply == DaytimeTestServer::NistLine();
        EXPECT_EQ(ui->timeLabel->text(), trusted ? "07:00:00" : "(not retrieved)");
        ui->setClockButton->click();  // does nothing unless the button is enabled
        EXPECT_EQ(rowClock.Calls(), trusted ? 1 : 0);
    }
}

// A press abandons the exchange under way and waits until the same host may
// be asked again; a list change or closing during that wait cancels it.
TEST_F(ExchangeTest, PressesOfTheSameHostAreSpacedAndTheWaitCanBeCancelled) {
    for (const bool closing : {false, true}) {
        DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
        server.SetInterval(600);
        MainForm& form = StartForm(server.Port(), 3000, nullptr, std::chrono::milliseconds(500));
        ui->retrieveButton->click();
        QTest::qWait(300);
        ui->retrieveButton->click();
        ASSERT_TRUE(WaitForStatus(kSuccess));
        const QList<qint64> accepted = server.AcceptTimes();
        ASSERT_EQ(accepted.size(), 2) << "the first reply must not end the second exchange";
        EXPECT_GE(accepted[1] - accepted[0], 500);
        ui->retrieveButton->click();
        closing ? void(form.close()) : ui->zoneList->setCurrentIndex(9);
        QTest::qWait(1000);
        EXPECT_EQ(server.ConnectionCount(), 2) << (closing ? "closed" : "zone changed");
    }
}

#ifdef BRISENDALE_WITH_TIMEDATED
// What the window makes of timedated's later answer (their meaning: the clock's tests).
TEST_F(ExchangeTest, SetSystemTimeWaitsForTimedatedsAnswerThenShowsIt) {
    const QString kWaiting = QStringLiteral("Status: Waiting for authorisation...");
    for (const bool accepted : {true, false}) {
        SCOPED_TRACE(accepted ? "accepted" : "refused");
        MockTimedated timedated(accepted ? MockTimedated::Behaviour::kAccept
                                         : MockTimedated::Behaviour::kNotAuthorized);
        BRISENDALE_REQUIRE_BUS(timedated);
        auto direct = std::make_unique<RecordingClock>();
        direct->RefuseWith("Operation not permitted", ClockRefused::Cause::kNoPrivilege);
        TimedatedClock viaTimedated(std::move(direct), {.programPath = "/usr/bin/brisendale"});
        DaytimeTestServer server;
        StartForm(server.Port(), 3000, &viaTimedated);
        ui->retrieveButton->click();
        ASSERT_TRUE(WaitForStatus(kSuccess));

        ui->setClockButton->click();
        EXPECT_EQ(ui->statusLabel->text(), kWaiting);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ui->statusLabel->text() != kWaiting; }, 5000));
        EXPECT_EQ(ui->statusLabel->text(), kSuccess);
        EXPECT_EQ(runtime.warnings.size(), accepted ? 0 : 1);
        EXPECT_EQ(ui->setClockButton->isEnabled(), !accepted) << "the user may try again";
        EXPECT_TRUE(timedated.Calls().size() == 1 && timedated.Calls()[0].interactive);
    }
}
#endif

}  // namespace
}  // namespace brisendale::testing
