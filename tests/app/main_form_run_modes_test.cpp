// Starting the window from the stored settings, the delay field, closing and
// saving, and the unattended logon run from start to end.
#include "test_runtime.h"

#include "settings/stored_settings.h"
#include "tests/support/daytime_test_server.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace brisendale::testing {
namespace {

class RunModesTest : public FormTest {
  protected:
    // What a previous session left behind, written through the real store.
    void Store(std::int16_t server, std::int16_t zone, const char* delay, int startupBox) {
        SaveSettings(SettingsToSave{.serverIndex = server,
                                    .zoneIndex = zone,
                                    .delayText = delay,
                                    .startupCheckValue = startupBox,
                                    .appFolder = "/opt/brisendale",
                                    .exeName = "brisendale"});
    }

    QString AutostartFile() const { return ConfigHome() + "/autostart/Quorvel.desktop"; }

    MainForm& ShownForm(const QString& commandLine = QString()) {
        runtime.commandLine = commandLine;
        MainForm& form = MakeForm();
        form.startUp();
        form.showIfInteractive();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }
};

TEST_F(RunModesTest, FirstStartShowsTheDefaults) {
    MainForm& form = ShownForm();
    EXPECT_EQ(ui->serverList->count(), 12);
    EXPECT_EQ(ui->zoneList->count(), 25);
    EXPECT_EQ(ui->serverList->currentIndex(), 0);
    EXPECT_EQ(ui->zoneList->currentIndex(), 7);
    EXPECT_EQ(ui->zoneList->currentText(), "[GMT -5 h.]");
    EXPECT_EQ(ui->delayField->text(), "2");
    EXPECT_EQ(ui->syncAtLogonBox->checkState(), Qt::Unchecked);
    EXPECT_FALSE(ui->delayField->isEnabled());
    EXPECT_EQ(ui->statusLabel->text(), "");
    EXPECT_EQ(ui->timeLabel->text(), "(not retrieved)");
    EXPECT_FALSE(ui->setClockButton->isEnabled());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.logonRun);
    EXPECT_FALSE(ui->logonDelayTimer->isActive());
}

TEST_F(RunModesTest, StoredChoicesComeBack) {
    Store(5, 13, "30", 1);
    ShownForm();
    EXPECT_EQ(ui->serverList->currentIndex(), 5);
    EXPECT_EQ(ui->zoneList->currentIndex(), 13);
    EXPECT_EQ(ui->delayField->text(), "30");
    EXPECT_EQ(ui->syncAtLogonBox->checkState(), Qt::Checked);
    EXPECT_TRUE(ui->delayField->isEnabled());
    EXPECT_FALSE(ui->logonDelayTimer->isActive()) << "no switch: an interactive start";
}

TEST_F(RunModesTest, OnlyTheExactSwitchWithAnEntryStartsTheLogonRun) {
    struct Row {
        const char* commandLine;
        int startupBox;
        bool unattended;
    };
    const Row rows[] = {
        {"-startup", 1, true},   {"-Startup", 1, false}, {"-startup x", 1, false},
        {" -startup", 1, false}, {"", 1, false},         {"-startup", 0, false},
    };
    for (const Row& row : rows) {
        Store(0, 7, "2", row.startupBox);
        runtime.commandLine = row.commandLine;
        MainForm& form = MakeForm();
        form.startUp();
        EXPECT_EQ(form.logonRun, row.unattended) << '"' << row.commandLine << '"';
        EXPECT_EQ(ui->logonDelayTimer->isActive(), row.unattended) << row.commandLine;
        EXPECT_EQ(ui->syncAtLogonBox->checkState() == Qt::Checked, row.startupBox == 1);
        ui->logonDelayTimer->stop();
    }
}

TEST_F(RunModesTest, CheckBoxEnablesTheDelayFieldAndKeepsItsText) {
    ShownForm();
    ui->syncAtLogonBox->setCheckState(Qt::Checked);
    EXPECT_TRUE(ui->delayField->isEnabled());
    ui->syncAtLogonBox->setCheckState(Qt::PartiallyChecked);
    EXPECT_TRUE(ui->delayField->isEnabled());
    ui->delayField->setText("45");
    ui->syncAtLogonBox->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(ui->delayField->isEnabled());
    EXPECT_EQ(ui->delayField->text(), "45");
}

TEST_F(RunModesTest, DelayBelowOneKeepsTheWindowOpenAndSavesNothing) {
    for (bool boxTicked : {true, false}) {
        MainForm& form = ShownForm();
        ui->syncAtLogonBox->setCheckState(Qt::Checked);
        ui->serverList->setCurrentIndex(4);
        ui->delayField->setText("0");
        if (!boxTicked)
            ui->syncAtLogonBox->setCheckState(Qt::Unchecked);
        runtime.warnings.clear();

        ui->closeButton->click();
        EXPECT_TRUE(form.isVisible());
        ASSERT_EQ(runtime.warnings, QStringList{"Enter a number greater than zero."});
        EXPECT_TRUE(ui->delayField->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), ui->delayField);
        EXPECT_EQ(ui->delayField->selectedText(), "0");
        EXPECT_EQ(ReadServerIndex(), 0) << "nothing may be saved";
        EXPECT_FALSE(QFile::exists(AutostartFile()));
    }
}

TEST_F(RunModesTest, ClosingSavesEverythingAndTheLogonEntry) {
    MainForm& form = ShownForm();
    ui->serverList->setCurrentIndex(3);
    ui->zoneList->setCurrentIndex(20);
    ui->syncAtLogonBox->setCheckState(Qt::Checked);
    ui->delayField->setText("0012");
    form.close();  // the title bar's close, which must behave like the button
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadServerIndex(), 3);
    EXPECT_EQ(ReadZoneIndex(), 20);
    EXPECT_EQ(ReadDelay(), 12);
    EXPECT_TRUE(ReadLogonEntryExists());
    QFile entry(AutostartFile());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    EXPECT_TRUE(text.contains("-startup")) << text.toStdString();
    EXPECT_TRUE(text.contains("/opt/Brisendale Test/brisendale")) << text.toStdString();
}

TEST_F(RunModesTest, ClearOrGrayedBoxDeletesTheLogonEntryAtClose) {
    for (Qt::CheckState state : {Qt::Unchecked, Qt::PartiallyChecked}) {
        Store(0, 7, "2", 1);
        ASSERT_TRUE(QFile::exists(AutostartFile()));
        ShownForm();
        ui->syncAtLogonBox->setCheckState(state);
        ui->delayField->setText("9");
        ui->closeButton->click();
        EXPECT_FALSE(QFile::exists(AutostartFile())) << state;
        EXPECT_EQ(ReadDelay(), 9) << "the other settings are still saved";
    }
}

class UnattendedRunTest : public RunModesTest {
  protected:
    // Starts as the logon entry does, with the first server row on loopback.
    MainForm& StartLogonRun(quint16 port) {
        Store(0, 7, "1", 1);
        runtime.commandLine = "-startup";
        MainForm& form = MakeForm(port, 3000);
        form.startUp();
        form.servers.ServerHost[0] = "127.0.0.1";
        return form;
    }
};

TEST_F(UnattendedRunTest, SetsTheClockAndEndsWithoutSaving) {
    DaytimeTestServer server;
    QElapsedTimer sinceLoad;
    sinceLoad.start();
    MainForm& form = StartLogonRun(server.Port());
    EXPECT_TRUE(form.logonRun);
    EXPECT_FALSE(form.isVisible());
    QFile::remove(ConfigHome() + "/brisendale/registry.sqlite3-journal");
    const QByteArray entryBefore = [&] {
        QFile f(AutostartFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.Ended(); }, 5000));
    EXPECT_EQ(runtime.EndStatus(), 0);
    EXPECT_GE(sinceLoad.elapsed(), 1000) << "the retrieval may not start before the delay";
    EXPECT_EQ(form.delayTicks, 1);
    ASSERT_EQ(clock.Calls(), 1);
    ASSERT_TRUE(clock.LastSet().has_value());
    EXPECT_EQ(clock.LastSet()->hour, 7);
    EXPECT_FALSE(form.isVisible()) << "the window is never shown";
    EXPECT_TRUE(runtime.warnings.isEmpty());
    QFile entryAfter(AutostartFile());
    ASSERT_TRUE(entryAfter.open(QIODevice::ReadOnly));
    EXPECT_EQ(entryAfter.readAll(), entryBefore);
    EXPECT_EQ(ReadDelay(), 1);
}

TEST_F(UnattendedRunTest, RefusedConnectionEndsWithFailureAndTheClockUntouched) {
    quint16 closedPort = 0;
    {
        DaytimeTestServer server;
        closedPort = server.Port();
    }
    StartLogonRun(closedPort);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.Ended(); }, 6000));
    EXPECT_EQ(runtime.EndStatus(), 1);
    EXPECT_EQ(clock.Calls(), 0);
    EXPECT_TRUE(ui->statusLabel->text().startsWith("Status: Winsock Error: "));
}

// A reply that is not used ends the run as a failure, before the clock.
class UntrustedReplyTest
    : public UnattendedRunTest,
      public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(UntrustedReplyTest, EndsWithFailureAndTheClockUntouched) {
    DaytimeTestServer server(GetParam().first);
    StartLogonRun(server.Port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.Ended(); }, 5000));
    EXPECT_EQ(runtime.EndStatus(), 1);
    EXPECT_EQ(clock.Calls(), 0);
    EXPECT_EQ(ui->statusLabel->text(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, UntrustedReplyTest,
    ::testing::Values(
        std::pair("\n61380 26-12-06 12:00:00 00 0 4 812.3 UTC(NIST) * \n",
                  "Status: Server reports its time may be wrong; try another server."),
        std::pair("\n61380 26-12-06 12:0x:00 00 0 0 812.3 UTC(NIST) * \n",
                  "Status: Invalid reply from server.")));

TEST_F(UnattendedRunTest, RefusedClockEndsWithFailureInsteadOfAMessageBox) {
    DaytimeTestServer server;
    clock.RefuseWith("Operation not permitted");
    StartLogonRun(server.Port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.Ended(); }, 5000));
    EXPECT_EQ(runtime.EndStatus(), 1);
    EXPECT_TRUE(runtime.warnings.isEmpty());
}

TEST_F(UnattendedRunTest, NoHandlerRunsAfterTheEnd) {
    DaytimeTestServer server;
    MainForm& form = StartLogonRun(server.Port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.Ended(); }, 5000));
    ui->retrieveButton->click();
    form.close();
    EXPECT_NE(ui->statusLabel->text(), "Status: Connecting to server...");
    EXPECT_EQ(ReadDelay(), 1);
}

}  // namespace
}  // namespace brisendale::testing
