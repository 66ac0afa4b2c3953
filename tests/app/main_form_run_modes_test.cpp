// Starting from stored settings, closing and saving, the delay field, the logon run.
#include "test_runtime.h"

#include "settings/stored_settings.h"
#include "tests/support/daytime_test_server.h"

#include <QInputMethodEvent>

namespace brisendale::testing {
namespace {

using RunModesTest = FormTest;

// What a previous session left behind, written through the real store.
void Store(const char* delay, bool logonEntry) {
    SaveSettings({0, 7, delay, logonEntry ? 1 : 0, "/opt/brisendale", "brisendale"});
}

// Closing refuses a delay below one and hands the field back, even where the
// box left it disabled; otherwise it saves what the next start shows.
TEST_F(RunModesTest, InteractiveStartSavesTheChoicesAtCloseIfTheDelayIsValid) {
    Store("2", true);
    runtime = TestRuntime("-Startup");  // only the exact switch starts the logon run
    MainForm& form = ShownForm();
    ui->syncAtLogonBox->setCheckState(Qt::Unchecked);
    ui->serverList->setCurrentIndex(3);
    ui->zoneList->setCurrentIndex(20);
    ui->delayField->setText("0.4");
    EXPECT_FALSE(form.close());
    EXPECT_EQ(runtime.warnings, QStringList{"Enter a number greater than zero."});
    EXPECT_EQ(QApplication::focusWidget(), ui->delayField);
    ui->syncAtLogonBox->setCheckState(Qt::Checked);
    ui->delayField->setText("12");
    ui->closeButton->click();

    MainForm& next = StartForm();
    EXPECT_EQ(ui->serverList->currentIndex(), 3);
    EXPECT_EQ(ui->zoneList->currentIndex(), 20);
    EXPECT_EQ(ui->delayField->text(), "12");
    EXPECT_TRUE(ui->delayField->isEnabled()) << "the ticked box enables the delay";
    ui->syncAtLogonBox->setCheckState(Qt::Unchecked);
    ASSERT_TRUE(next.close());
    EXPECT_FALSE(ReadLogonEntryExists());
}

// Typing puts in digits only, at most four, even after a longer number was written
// back on leaving for another control; a context menu taking the focus is no leaving.
TEST_F(RunModesTest, DelayFieldTakesDigitsAndWritesTheNumberBack) {
    ShownForm();
    QLineEdit* field = ui->delayField;
    ui->syncAtLogonBox->setCheckState(Qt::Checked);
    field->setFocus();
    field->setText("007");
    QFocusEvent contextMenu(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(field, &contextMenu);
    EXPECT_EQ(field->text(), "007");
    ui->serverList->setFocus();
    EXPECT_EQ(field->text(), "7");
    field->setFocus();
    field->setText("9e99");
    ui->serverList->setFocus();
    EXPECT_EQ(field->text(), "9E+99");

    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "a -.x1");
    QTest::keyClick(field, Qt::Key_3);
    QInputMethodEvent composed;
    composed.setCommitString("e4");
    QApplication::sendEvent(field, &composed);
    QTest::keyClicks(field, "56");
    EXPECT_EQ(field->text(), "1345");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "134");
}

// The logon run waits the stored delay, retrieves, sets the clock and ends
// unseen; a reply it cannot trust ends it with status 1 and the clock untouched.
TEST_F(RunModesTest, LogonRunWaitsTheDelaySetsTheClockAndEnds) {
    const std::pair<QByteArray, int> rows[] = {
        {DaytimeTestServer::NistLine(), 0},
        {"\n61380 26-12-06 12:00:00 00 0 4 812.3 UTC(NIST) * \n", 1},   // unhealthy
        {"\n61380 26-12-06 12:0x:00 00 0 0 812.3 UTC(NIST) * \n", 1}};  // invalid
    for (const auto& [reply, endStatus] : rows) {
        DaytimeTestServer server(reply);
        RecordingClock rowClock;
        runtime = TestRuntime("-startup");
        Store("1", true);
        MainForm& form = StartForm(server.Port(), 3000, &rowClock);
        ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.Ended(); }, 5000));
        EXPECT_GE(server.AcceptTimes().value(0), 1000) << "no retrieval before the delay";
        EXPECT_EQ(runtime.EndStatus(), endStatus) << reply.toStdString();
        EXPECT_EQ(rowClock.Calls(), endStatus == 0 ? 1 : 0) << reply.toStdString();
        EXPECT_FALSE(form.isVisible());
    }
}

}  // namespace
}  // namespace brisendale::testing
