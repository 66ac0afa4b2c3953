// The window's wiring to the engine, its start and close with the settings, the delay field.
#include "test_runtime.h"

#include "settings/stored_settings.h"

#include <QInputMethodEvent>

namespace brisendale::testing {
namespace {

using WindowTest = FormTest;

// A press reaches the engine with the chosen row and zone; its reports reach the controls.
TEST_F(WindowTest, ButtonsDriveTheEngineAndItsReportsReachTheControls) {
    StartForm();
    EXPECT_EQ(ui->timeLabel->text(), "(not retrieved)");
    EXPECT_FALSE(ui->setClockButton->isEnabled());
    ui->serverList->setCurrentIndex(3);
    ui->zoneList->setCurrentIndex(13);
    ui->retrieveButton->click();
    EXPECT_EQ(ui->statusLabel->text(), "Status: Connecting to server...");
    ASSERT_EQ(transport.hosts, std::vector<std::string>{"time-b-b.nist.gov"});
    transport.Send(NistLine("23:30:00"));
    EXPECT_EQ(ui->timeLabel->text(), "00:30:00");
    EXPECT_EQ(ui->statusLabel->text(), "Status: Atomic time successfully received.");
    EXPECT_TRUE(ui->setClockButton->isEnabled());

    scheduler.Advance(std::chrono::seconds(4));
    ui->retrieveButton->click();
    transport.Fail("Host not found");
    EXPECT_EQ(ui->statusLabel->text(), "Status: Winsock Error: Host not found");
    EXPECT_EQ(ui->timeLabel->text(), "00:30:00") << "an earlier time stays shown and settable";
    ui->setClockButton->click();
    // The computer is at GMT +0 here, and four seconds have passed.
    EXPECT_EQ(ui->statusLabel->text(), "Status: System time set; local time 23:30:04 (GMT +0).");
    EXPECT_FALSE(ui->setClockButton->isEnabled());

    scheduler.Advance(std::chrono::seconds(4));
    ui->retrieveButton->click();
    transport.Send(NistLine());
    clock.refusal = ClockRefusal{"Operation not permitted"};
    ui->setClockButton->click();
    EXPECT_EQ(runtime.warnings,
              QStringList{"The system time could not be set: Operation not permitted"});
    EXPECT_EQ(ui->statusLabel->text(), "Status: Atomic time successfully received.");
    EXPECT_TRUE(ui->setClockButton->isEnabled()) << "the user may try again";

    ui->serverList->setCurrentIndex(8);
    EXPECT_EQ(ui->timeLabel->text(), "(not retrieved)");
    EXPECT_EQ(ui->statusLabel->text(), "");
    EXPECT_FALSE(ui->setClockButton->isEnabled());
    ui->retrieveButton->click();  // a retired row, and then none: no name is looked up
    EXPECT_EQ(ui->statusLabel->text(),
              "Status: This server was retired by its operator; use another one.");
    ui->serverList->setCurrentIndex(-1);
    ui->retrieveButton->click();
    EXPECT_EQ(ui->statusLabel->text(), "Status: Error Occurred.");
    EXPECT_EQ(transport.hosts.size(), 3U);
}

// Closing refuses a delay below one, handing the field back, else saves what the next start shows.
TEST_F(WindowTest, InteractiveStartSavesTheChoicesAtCloseIfTheDelayIsValid) {
    SaveSettings({0, 7, "2", true, "/opt/brisendale", "brisendale"});
    MainForm& form = StartForm(true);
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

// An unreadable store is told once, at the start, and never written over; a failed save is told.
TEST_F(WindowTest, SettingsThatCannotBeReadOrSavedAreToldOnce) {
    WriteFile(home.Store(), "not a database");
    MainForm& form = StartForm(true);
    ASSERT_EQ(runtime.warnings.size(), 1);
    EXPECT_TRUE(runtime.warnings[0].contains("cannot be read"))
        << runtime.warnings[0].toStdString();
    ui->syncAtLogonBox->setCheckState(Qt::Checked);
    WriteFile(home.Path() / "autostart", "a file where the folder goes");
    EXPECT_TRUE(form.close());
    ASSERT_EQ(runtime.warnings.size(), 2);
    EXPECT_TRUE(runtime.warnings[1].contains((home.Path() / "autostart").c_str()))
        << runtime.warnings[1].toStdString();
    EXPECT_FALSE(runtime.warnings[1].contains("cannot be read")) << "told twice";
    EXPECT_EQ(ReadFile(home.Store()), "not a database");
}

// Typing enters at most four digits, even after leaving wrote more back; a menu is no leaving.
TEST_F(WindowTest, DelayFieldTakesDigitsAndWritesTheNumberBack) {
    StartForm(true);
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
    composed.setCommitString("e0");
    QApplication::sendEvent(field, &composed);
    QTest::keyClicks(field, "96");
    EXPECT_EQ(field->text(), "1309");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "130");
}

}  // namespace
}  // namespace brisendale::testing
