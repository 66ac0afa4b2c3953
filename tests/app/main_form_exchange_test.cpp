// Retrieving the time through the window against a Daytime server on loopback,
// and setting the (recording) clock from it.
#include "test_runtime.h"

#include "tests/support/daytime_test_server.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace brisendale::testing {
namespace {

using Behaviour = DaytimeTestServer::Behaviour;

const QString kSuccess = QStringLiteral("Status: Atomic time successfully received.");
const QString kInvalid = QStringLiteral("Status: Invalid reply from server.");

class ExchangeTest : public FormTest {
  protected:
    // A loaded window whose first server row points at the loopback server;
    // the zone is the default, five hours behind GMT.
    MainForm& LoadedForm(const DaytimeTestServer& server, int deadlineMs = 3000) {
        MainForm& form = MakeForm(server.Port(), deadlineMs);
        form.Load();
        form.Servers.ServerHost[0] = "127.0.0.1";
        return form;
    }

    static bool WaitForStatus(MainForm& form, const QString& prefix, int ms = 5000) {
        return QTest::qWaitFor([&] { return form.lblStatus->text().startsWith(prefix); }, ms);
    }
};

TEST_F(ExchangeTest, NistLineShowsShiftedTimeAndEnablesSetting) {
    DaytimeTestServer server;
    MainForm& form = LoadedForm(server);
    ASSERT_EQ(form.cboGMT->currentIndex(), 7);
    form.Command1->click();
    EXPECT_EQ(form.lblStatus->text(), "Status: Connecting to server...");
    ASSERT_TRUE(WaitForStatus(form, kSuccess)) << form.lblStatus->text().toStdString();
    EXPECT_EQ(form.lblAtomicTime->text(), "07:00:00");
    EXPECT_TRUE(form.Command3->isEnabled());
    EXPECT_EQ(form.WSTime->RemoteHost(), "127.0.0.1");

    form.Command3->click();
    ASSERT_EQ(clock.Calls(), 1);
    ASSERT_TRUE(clock.LastSet().has_value());
    EXPECT_EQ(clock.LastSet()->hour, 7);
    EXPECT_EQ(clock.LastSet()->minute, 0);
    EXPECT_EQ(clock.LastSet()->second, 0);
    EXPECT_FALSE(form.Command3->isEnabled());
    EXPECT_FALSE(runtime.Ended());
}

TEST_F(ExchangeTest, ReplySplitOverSegmentsIsPutTogether) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
    MainForm& form = LoadedForm(server);
    form.cboGMT->setCurrentIndex(14);  // two hours ahead
    form.Command1->click();
    ASSERT_TRUE(WaitForStatus(form, kSuccess)) << form.lblStatus->text().toStdString();
    EXPECT_EQ(form.lblAtomicTime->text(), "14:00:00");
}

TEST_F(ExchangeTest, MalformedRepliesAreNotShownAsSuccess) {
    const QByteArray replies[] = {
        "\n61380 26-12-06 12:00",                                // short, then the server closes
        "\n61380 26-12-06 24:00:00 00 0 0 812.3 UTC(NIST) *\n",  // hour out of range
        "\n61380 26-12-06 12:61:00 00 0 0 812.3 UTC(NIST) *\n",  // minutes out of range
        "Saturday, December 6, 2026 12:00:00-UTC\r\n",           // another server's layout
        QByteArray(64, '\0'),                                    // garbage
    };
    for (const QByteArray& reply : replies) {
        DaytimeTestServer server(reply);
        MainForm& form = LoadedForm(server);
        form.Command1->click();
        ASSERT_TRUE(WaitForStatus(form, kInvalid))
            << reply.toStdString() << " -> " << form.lblStatus->text().toStdString();
        EXPECT_EQ(form.lblAtomicTime->text(), "(not retrieved)");
        EXPECT_FALSE(form.Command3->isEnabled());
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
        MainForm& form = LoadedForm(server, 400);
        form.Command1->click();
        ASSERT_TRUE(WaitForStatus(form, row.status, 3000))
            << row.name << " -> " << form.lblStatus->text().toStdString();
        EXPECT_EQ(form.lblStatus->text(), row.status) << row.name;
        EXPECT_FALSE(form.Command3->isEnabled()) << row.name;
    }
}

TEST_F(ExchangeTest, RefusedConnectionIsAWinsockError) {
    quint16 closedPort = 0;
    {
        DaytimeTestServer server;  // take a free port, then free it again
        closedPort = server.Port();
    }
    MainForm& form = MakeForm(closedPort, 3000);
    form.Load();
    form.Servers.ServerHost[0] = "127.0.0.1";
    form.Command1->click();
    ASSERT_TRUE(WaitForStatus(form, "Status: Winsock Error: "));
    EXPECT_GT(form.lblStatus->text().size(), QString("Status: Winsock Error: ").size());
}

TEST_F(ExchangeTest, FailedRetrievalKeepsTheEarlierTime) {
    DaytimeTestServer server;
    MainForm& form = LoadedForm(server);
    form.Command1->click();
    ASSERT_TRUE(WaitForStatus(form, kSuccess));

    form.Servers.ServerHost[0] = "nonexistent.invalid";
    form.Command1->click();
    ASSERT_TRUE(WaitForStatus(form, "Status: Winsock Error: ", 6000));
    EXPECT_EQ(form.lblAtomicTime->text(), "07:00:00");
    EXPECT_TRUE(form.Command3->isEnabled());
}

TEST_F(ExchangeTest, ListChangeWhileConnectingThrowsTheReplyAway) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
    MainForm& form = LoadedForm(server);
    form.Command1->click();
    form.cboGMT->setCurrentIndex(8);
    EXPECT_EQ(form.lblStatus->text(), "");
    QTest::qWait(1000);
    EXPECT_EQ(form.lblAtomicTime->text(), "(not retrieved)");
    EXPECT_EQ(form.lblStatus->text(), "");
    EXPECT_FALSE(form.Command3->isEnabled());
}

TEST_F(ExchangeTest, SecondPressKeepsOnlyTheSecondConnection) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
    MainForm& form = LoadedForm(server);
    form.Command1->click();
    form.Command1->click();
    ASSERT_TRUE(WaitForStatus(form, kSuccess));
    // A reply from the abandoned first connection would overwrite this.
    form.lblAtomicTime->setText("marker");
    QTest::qWait(800);
    EXPECT_EQ(form.lblAtomicTime->text(), "marker");
    EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST_F(ExchangeTest, RefusedClockKeepsTheWindowAndTheButton) {
    DaytimeTestServer server;
    MainForm& form = LoadedForm(server);
    form.Command1->click();
    ASSERT_TRUE(WaitForStatus(form, kSuccess));
    clock.RefuseWith("Operation not permitted");
    form.Command3->click();
    ASSERT_EQ(runtime.warnings.size(), 1);
    EXPECT_EQ(runtime.warnings.front(),
              "The system time could not be set: Operation not permitted");
    EXPECT_TRUE(form.Command3->isEnabled());
    EXPECT_FALSE(runtime.Ended());
}

}  // namespace
}  // namespace brisendale::testing
