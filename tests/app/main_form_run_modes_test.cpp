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
        form.Load();
        form.ShowIfInteractive();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }
};

TEST_F(RunModesTest, FirstStartShowsTheDefaults) {
    MainForm& form = ShownForm();
    EXPECT_EQ(form.cboServer->count(), 12);
    EXPECT_EQ(form.cboGMT->count(), 25);
    EXPECT_EQ(form.cboServer->currentIndex(), 0);
    EXPECT_EQ(form.cboGMT->currentIndex(), 7);
    EXPECT_EQ(form.cboGMT->currentText(), "[GMT -5 h.]");
    EXPECT_EQ(form.txtDelay->text(), "2");
    EXPECT_EQ(form.chkStartupSync->checkState(), Qt::Unchecked);
    EXPECT_FALSE(form.txtDelay->isEnabled());
    EXPECT_EQ(form.lblStatus->text(), "");
    EXPECT_EQ(form.lblAtomicTime->text(), "(not retrieved)");
    EXPECT_FALSE(form.Command3->isEnabled());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.StartupMode);
    EXPECT_FALSE(form.DelayTimer->isActive());
}

TEST_F(RunModesTest, StoredChoicesComeBack) {
    Store(5, 13, "30", 1);
    MainForm& form = ShownForm();
    EXPECT_EQ(form.cboServer->currentIndex(), 5);
    EXPECT_EQ(form.cboGMT->currentIndex(), 13);
    EXPECT_EQ(form.txtDelay->text(), "30");
    EXPECT_EQ(form.chkStartupSync->checkState(), Qt::Checked);
    EXPECT_TRUE(form.txtDelay->isEnabled());
    EXPECT_FALSE(form.DelayTimer->isActive()) << "no switch: an interactive start";
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
        form.Load();
        EXPECT_EQ(form.StartupMode, row.unattended) << '"' << row.commandLine << '"';
        EXPECT_EQ(form.DelayTimer->isActive(), row.unattended) << row.commandLine;
        EXPECT_EQ(form.chkStartupSync->checkState() == Qt::Checked, row.startupBox == 1);
        form.DelayTimer->stop();
    }
}

TEST_F(RunModesTest, DelayFieldTakesDigitsAndBackspaceOnly) {
    MainForm& form = ShownForm();
    form.chkStartupSync->setCheckState(Qt::Checked);
    ASSERT_TRUE(form.txtDelay->isEnabled());
    form.txtDelay->setFocus();
    form.txtDelay->selectAll();
    QTest::keyClicks(form.txtDelay, "a1 -.2x");
    EXPECT_EQ(form.txtDelay->text(), "12");
    QTest::keyClick(form.txtDelay, Qt::Key_Backspace);
    EXPECT_EQ(form.txtDelay->text(), "1");
}

TEST_F(RunModesTest, LeavingTheDelayFieldWritesItsNumber) {
    const std::pair<const char*, const char*> rows[] = {
        {"", "0"}, {"007", "7"}, {"2", "2"}, {"0012", "12"}, {"2.5", "2.5"}};
    MainForm& form = ShownForm();
    form.chkStartupSync->setCheckState(Qt::Checked);
    for (auto [typed, shown] : rows) {
        form.txtDelay->setFocus();
        form.txtDelay->setText(typed);
        form.cboServer->setFocus();
        EXPECT_EQ(form.txtDelay->text(), shown) << '"' << typed << '"';
    }
}

TEST_F(RunModesTest, CheckBoxEnablesTheDelayFieldAndKeepsItsText) {
    MainForm& form = ShownForm();
    form.chkStartupSync->setCheckState(Qt::Checked);
    EXPECT_TRUE(form.txtDelay->isEnabled());
    form.chkStartupSync->setCheckState(Qt::PartiallyChecked);
    EXPECT_TRUE(form.txtDelay->isEnabled());
    form.txtDelay->setText("45");
    form.chkStartupSync->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(form.txtDelay->isEnabled());
    EXPECT_EQ(form.txtDelay->text(), "45");
}

TEST_F(RunModesTest, DelayBelowOneKeepsTheWindowOpenAndSavesNothing) {
    for (bool boxTicked : {true, false}) {
        MainForm& form = ShownForm();
        form.chkStartupSync->setCheckState(Qt::Checked);
        form.cboServer->setCurrentIndex(4);
        form.txtDelay->setText("0");
        if (!boxTicked)
            form.chkStartupSync->setCheckState(Qt::Unchecked);
        runtime.warnings.clear();

        form.Command2->click();
        EXPECT_TRUE(form.isVisible());
        ASSERT_EQ(runtime.warnings, QStringList{"Enter a number greater than zero."});
        EXPECT_TRUE(form.txtDelay->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), form.txtDelay);
        EXPECT_EQ(form.txtDelay->selectedText(), "0");
        EXPECT_EQ(ReadServerIndex(), 0) << "nothing may be saved";
        EXPECT_FALSE(QFile::exists(AutostartFile()));
    }
}

TEST_F(RunModesTest, ClosingSavesEverythingAndTheLogonEntry) {
    MainForm& form = ShownForm();
    form.cboServer->setCurrentIndex(3);
    form.cboGMT->setCurrentIndex(20);
    form.chkStartupSync->setCheckState(Qt::Checked);
    form.txtDelay->setText("0012");
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
        MainForm& form = ShownForm();
        form.chkStartupSync->setCheckState(state);
        form.txtDelay->setText("9");
        form.Command2->click();
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
        form.Load();
        form.Servers.ServerHost[0] = "127.0.0.1";
        return form;
    }
};

TEST_F(UnattendedRunTest, SetsTheClockAndEndsWithoutSaving) {
    DaytimeTestServer server;
    QElapsedTimer sinceLoad;
    sinceLoad.start();
    MainForm& form = StartLogonRun(server.Port());
    EXPECT_TRUE(form.StartupMode);
    EXPECT_FALSE(form.isVisible());
    QFile::remove(ConfigHome() + "/brisendale/registry.sqlite3-journal");
    const QByteArray entryBefore = [&] {
        QFile f(AutostartFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.Ended(); }, 5000));
    EXPECT_EQ(runtime.EndStatus(), 0);
    EXPECT_GE(sinceLoad.elapsed(), 1000) << "the retrieval may not start before the delay";
    EXPECT_EQ(form.DelayTicks, 1);
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
    MainForm& form = StartLogonRun(closedPort);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.Ended(); }, 6000));
    EXPECT_EQ(runtime.EndStatus(), 1);
    EXPECT_EQ(clock.Calls(), 0);
    EXPECT_TRUE(form.lblStatus->text().startsWith("Status: Winsock Error: "));
}

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
    form.Command1->click();
    form.close();
    EXPECT_NE(form.lblStatus->text(), "Status: Connecting to server...");
    EXPECT_EQ(ReadDelay(), 1);
}

}  // namespace
}  // namespace brisendale::testing
