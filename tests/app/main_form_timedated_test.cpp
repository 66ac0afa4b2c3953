// "Set System Time" where the process may not set the clock itself, so that
// the window asks timedated (a stand-in on a private bus) and waits for
// polkit's answer without blocking.
#include "test_runtime.h"

#include "platform/clock/system_clock_timedated.h"
#include "tests/support/daytime_test_server.h"
#include "tests/support/mock_timedated.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <chrono>

namespace brisendale::testing {
namespace {

using Behaviour = MockTimedated::Behaviour;

const QString kReceived = QStringLiteral("Status: Atomic time successfully received.");
const QString kWaiting = QStringLiteral("Status: Waiting for authorisation...");

class TimedatedFormTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        auto direct = std::make_unique<RecordingClock>();
        direct->RefuseWith("Operation not permitted", ClockRefused::Cause::kNoPrivilege);
        clock_.emplace(std::move(direct),
                       TimedatedOptions{.programPath = "/usr/bin/brisendale",
                                        .answerBound = std::chrono::milliseconds(1000)});
    }

    // A window that shows a retrieved time, ready to set it. It may retrieve
    // again at once: the spacing between queries is not under test here.
    void ShowRetrievedTime(const DaytimeTestServer& server) {
        MainForm& form = MakeForm(server.Port(), 3000, &*clock_, std::chrono::milliseconds(0));
        form.startUp();
        form.servers.ServerHost[0] = "127.0.0.1";
        ui->retrieveButton->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ui->statusLabel->text() == kReceived; }));
    }

    std::optional<TimedatedClock> clock_;
};

// What each of timedated's answers means is checked with the clock itself;
// here, what the window makes of an answer that came later.
TEST_F(TimedatedFormTest, WaitsForTheAnswerThenShowsIt) {
    for (const bool accepted : {true, false}) {
        SCOPED_TRACE(accepted ? "accepted" : "refused");
        MockTimedated timedated(accepted ? Behaviour::kAccept : Behaviour::kNotAuthorized);
        BRISENDALE_REQUIRE_BUS(timedated);
        DaytimeTestServer server;
        ShowRetrievedTime(server);
        runtime.warnings.clear();

        ui->setClockButton->click();
        EXPECT_EQ(ui->statusLabel->text(), kWaiting);
        EXPECT_FALSE(ui->setClockButton->isEnabled()) << "one request at a time";
        ASSERT_TRUE(QTest::qWaitFor([&] { return ui->statusLabel->text() != kWaiting; }, 5000));

        EXPECT_EQ(ui->statusLabel->text(), kReceived);
        ASSERT_EQ(runtime.warnings.size(), accepted ? 0 : 1);
        if (!accepted) {
            EXPECT_TRUE(runtime.warnings[0].startsWith(
                "The system time could not be set: the authorisation to set the time was "
                "refused or cancelled"))
                << runtime.warnings[0].toStdString();
        }
        EXPECT_EQ(ui->setClockButton->isEnabled(), !accepted) << "the user may try again";
        const auto calls = timedated.Calls();
        ASSERT_EQ(calls.size(), 1U);
        EXPECT_TRUE(calls[0].interactive);
        EXPECT_FALSE(runtime.Ended());
    }
}

TEST_F(TimedatedFormTest, WindowKeepsWorkingWhileItWaits) {
    MockTimedated timedated(Behaviour::kSilent);
    BRISENDALE_REQUIRE_BUS(timedated);
    DaytimeTestServer server;
    ShowRetrievedTime(server);
    ui->setClockButton->click();
    ASSERT_EQ(ui->statusLabel->text(), kWaiting);

    // A new retrieval completes while the first request is still out.
    ui->retrieveButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->statusLabel->text() == kReceived; }, 900));
    EXPECT_FALSE(ui->setClockButton->isEnabled()) << "one request at a time";

    ASSERT_TRUE(QTest::qWaitFor([&] { return !runtime.warnings.isEmpty(); }, 5000));
    EXPECT_EQ(ui->statusLabel->text(), kReceived) << "a newer status stays";
    EXPECT_TRUE(ui->setClockButton->isEnabled());
}

}  // namespace
}  // namespace brisendale::testing
