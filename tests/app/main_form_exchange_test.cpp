// Retrieving the time through the window against a Daytime server on loopback,
// and setting the (recording) clock from it.
#include "test_runtime.h"

#include "tests/support/daytime_test_server.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <utility>

namespace brisendale::testing {
namespace {

using Behaviour = DaytimeTestServer::Behaviour;

const QString kSuccess = QStringLiteral("Status: Atomic time successfully received.");
const QString kInvalid = QStringLiteral("Status: Invalid reply from server.");
const QString kUnhealthy =
    QStringLiteral("Status: Server reports its time may be wrong; try another server.");
const QString kConnecting = QStringLiteral("Status: Connecting to server...");

class ExchangeTest : public FormTest {
  protected:
    // A loaded window whose first server row points at the loopback server;
    // the zone is the default, five hours behind GMT.
    MainForm& LoadedForm(const DaytimeTestServer& server, int deadlineMs = 3000,
                         std::chrono::milliseconds spacing = QuerySpacing::kMinimumSpacing) {
        MainForm& form = MakeForm(server.Port(), deadlineMs, nullptr, spacing);
        form.startUp();
        form.servers.ServerHost[0] = "127.0.0.1";
        return form;
    }

    bool WaitForStatus(const QString& prefix, int ms = 5000) {
        return QTest::qWaitFor([&] { return ui->statusLabel->text().startsWith(prefix); }, ms);
    }
};

TEST_F(ExchangeTest, NistLineShowsShiftedTimeAndEnablesSetting) {
    DaytimeTestServer server;
    LoadedForm(server);
    ASSERT_EQ(ui->zoneList->currentIndex(), 7);
    ui->retrieveButton->click();
    EXPECT_EQ(ui->statusLabel->text(), kConnecting);
    ASSERT_TRUE(WaitForStatus(kSuccess)) << ui->statusLabel->text().toStdString();
    EXPECT_EQ(ui->timeLabel->text(), "07:00:00");
    EXPECT_TRUE(ui->setClockButton->isEnabled());
    EXPECT_EQ(ui->daytimeConnection->RemoteHost(), "127.0.0.1");

    ui->setClockButton->click();
    ASSERT_EQ(clock.Calls(), 1);
    ASSERT_TRUE(clock.LastSet().has_value());
    EXPECT_EQ(clock.LastSet()->hour, 7);
    EXPECT_EQ(clock.LastSet()->minute, 0);
    EXPECT_EQ(clock.LastSet()->second, 0);
    EXPECT_FALSE(ui->setClockButton->isEnabled());
    EXPECT_FALSE(runtime.Ended());
}

TEST_F(ExchangeTest, ReplySplitOverSegmentsIsPutTogether) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
    LoadedForm(server);
    ui->zoneList->setCurrentIndex(14);  // two hours ahead
    ui->retrieveButton->click();
    ASSERT_TRUE(WaitForStatus(kSuccess)) << ui->statusLabel->text().toStdString();
    EXPECT_EQ(ui->timeLabel->text(), "14:00:00");
}

TEST_F(ExchangeTest, UnusableRepliesAreNotShownAsSuccess) {
    const std::pair<QByteArray, QString> rows[] = {
        {"\n61380 26-12-06 12:00", kInvalid},  // short, then the server closes
        {"\n61380 26-12-06 24:00:00 00 0 0 812.3 UTC(NIST) *\n", kInvalid},  // hour out of range
        {"\n61380 26-12-06 12:61:00 00 0 0 812.3 UTC(NIST) *\n", kInvalid},  // minutes out of range
        {"Saturday, December 6, 2026 12:00:00-UTC\r\n", kInvalid},  // another server's layout
        {QByteArray(64, '\0'), kInvalid},                           // garbage
        {"\n61380 26-12-06 12:00:00 00 0 2 812.3 UTC(NIST) *\n", kUnhealthy},  // known wrong
    };
    for (const auto& [reply, status] : rows) {
        DaytimeTestServer server(reply);
        LoadedForm(server);
        ui->retrieveButton->click();
        ASSERT_TRUE(WaitForStatus(status))
            << reply.toStdString() << " -> " << ui->statusLabel->text().toStdString();
        EXPECT_EQ(ui->timeLabel->text(), "(not retrieved)");
        EXPECT_FALSE(ui->setClockButton->isEnabled());
        EXPECT_EQ(clock.Calls(), 0);
    }
}

TEST_F(ExchangeTest, FailuresEndOnTheStatusLineWithinTheDeadline) {
    struct Row {
        const char* name;
        Behaviour behaviour;
        const char* status;
    };
    const Row rows[] = {
        {"silent server", Behaviour::Silent, "Status: Winsock Error: Connection timed out"},
        {"server closes at once", Behaviour::CloseAtOnce,
         "Status: Winsock Error: Connection closed by server"},
    };
    for (const Row& row : rows) {
        DaytimeTestServer server(DaytimeTestServer::NistLine(), row.behaviour);
        LoadedForm(server, 400);
        ui->retrieveButton->click();
        ASSERT_TRUE(WaitForStatus(row.status, 3000))
            << row.name << " -> " << ui->statusLabel->text().toStdString();
        EXPECT_EQ(ui->statusLabel->text(), row.status) << row.name;
        EXPECT_FALSE(ui->setClockButton->isEnabled()) << row.name;
    }
}

TEST_F(ExchangeTest, RefusedConnectionIsAWinsockError) {
    quint16 closedPort = 0;
    {
        DaytimeTestServer server;  // take a free port, then free it again
        closedPort = server.Port();
    }
    MainForm& form = MakeForm(closedPort, 3000);
    form.startUp();
    // Nothing listens there; the list position must pick the row of that number.
    form.servers.ServerHost[7] = "127.0.0.8";
    ui->serverList->setCurrentIndex(7);
    ui->retrieveButton->click();
    EXPECT_EQ(ui->daytimeConnection->RemoteHost(), "127.0.0.8");
    ASSERT_TRUE(WaitForStatus("Status: Winsock Error: "));
    EXPECT_GT(ui->statusLabel->text().size(), QString("Status: Winsock Error: ").size());
}

TEST_F(ExchangeTest, FailedRetrievalKeepsTheEarlierTime) {
    DaytimeTestServer server;
    MainForm& form = LoadedForm(server);
    ui->retrieveButton->click();
    ASSERT_TRUE(WaitForStatus(kSuccess));

    form.servers.ServerHost[0] = "nonexistent.invalid";
    ui->retrieveButton->click();
    ASSERT_TRUE(WaitForStatus("Status: Winsock Error: ", 6000));
    EXPECT_EQ(ui->timeLabel->text(), "07:00:00");
    EXPECT_TRUE(ui->setClockButton->isEnabled());
}

TEST_F(ExchangeTest, ListChangeWhileConnectingThrowsTheReplyAway) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
    LoadedForm(server);
    ui->retrieveButton->click();
    ui->zoneList->setCurrentIndex(8);
    EXPECT_EQ(ui->statusLabel->text(), "");
    QTest::qWait(1000);
    EXPECT_EQ(ui->timeLabel->text(), "(not retrieved)");
    EXPECT_EQ(ui->statusLabel->text(), "");
    EXPECT_FALSE(ui->setClockButton->isEnabled());
}

TEST_F(ExchangeTest, SecondPressAbandonsTheFirstAndWaitsItsTurn) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
    server.SetInterval(1500);  // the first exchange is still under way at the second press
    LoadedForm(server);
    ui->retrieveButton->click();
    QTest::qWait(1000);
    ui->retrieveButton->click();
    EXPECT_EQ(ui->statusLabel->text(), kConnecting);
    ASSERT_TRUE(WaitForStatus(kSuccess, 9000));
    // A reply from the abandoned first connection would overwrite this.
    ui->timeLabel->setText("marker");
    QTest::qWait(800);
    EXPECT_EQ(ui->timeLabel->text(), "marker");
    const QList<qint64> accepted = server.AcceptTimes();
    ASSERT_EQ(accepted.size(), 2);
    EXPECT_GE(accepted[1] - accepted[0], QuerySpacing::kMinimumSpacing.count());
}

TEST_F(ExchangeTest, ChangingAListOrClosingCancelsTheWait) {
    using namespace std::chrono_literals;
    const std::pair<const char*, std::function<void(MainForm&)>> rows[] = {
        {"zone changed", [this](MainForm&) { ui->zoneList->setCurrentIndex(9); }},
        {"window closed", [](MainForm& form) { form.close(); }},
    };
    for (const auto& [name, cancel] : rows) {
        DaytimeTestServer server;
        MainForm& form = LoadedForm(server, 3000, 300ms);
        ui->retrieveButton->click();
        ASSERT_TRUE(WaitForStatus(kSuccess)) << name;
        ui->retrieveButton->click();
        EXPECT_EQ(ui->statusLabel->text(), kConnecting) << name;
        cancel(form);
        QTest::qWait(600);
        EXPECT_EQ(server.ConnectionCount(), 1) << name;
    }
}

TEST_F(ExchangeTest, RefusedClockKeepsTheWindowAndTheButton) {
    DaytimeTestServer server;
    LoadedForm(server);
    ui->retrieveButton->click();
    ASSERT_TRUE(WaitForStatus(kSuccess));
    clock.RefuseWith("Operation not permitted");
    ui->setClockButton->click();
    ASSERT_EQ(runtime.warnings.size(), 1);
    EXPECT_EQ(runtime.warnings.front(),
              "The system time could not be set: Operation not permitted");
    EXPECT_TRUE(ui->setClockButton->isEnabled());
    EXPECT_FALSE(runtime.Ended());
}

}  // namespace
}  // namespace brisendale::testing
