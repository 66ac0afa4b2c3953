// A forms runtime for tests: message boxes and the program's end are recorded
// instead of blocking on a dialog or leaving the test process; the settings
// store lives in a fresh temporary folder.
#pragma once

#include "app/main_form.h"
#include "platform/runtime/forms_runtime.h"
#include "tests/support/recording_clock.h"
#include "tests/support/temp_config_home.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

namespace brisendale::testing {

class TestRuntime : public FormsRuntime {
  public:
    using FormsRuntime::FormsRuntime;  // takes the command line
    QStringList warnings;

    void ShowWarning(QWidget*, const QString& text) override { warnings << text; }
    void EndProgram(int status) override { MarkEnded(status); }
};

// The window's controls, found by objectName as UI automation finds them.
struct Controls {
    const QObject& window;
    QComboBox* serverList = window.findChild<QComboBox*>("cboServer");
    QComboBox* zoneList = window.findChild<QComboBox*>("cboGMT");
    QPushButton* retrieveButton = window.findChild<QPushButton*>("Command1");
    QPushButton* setClockButton = window.findChild<QPushButton*>("Command3");
    QCheckBox* syncAtLogonBox = window.findChild<QCheckBox*>("chkStartupSync");
    QLineEdit* delayField = window.findChild<QLineEdit*>("txtDelay");
    QPushButton* closeButton = window.findChild<QPushButton*>("Command2");
    QLineEdit* timeLabel = window.findChild<QLineEdit*>("lblAtomicTime");
    StatusLine* statusLabel = window.findChild<StatusLine*>("lblStatus");
};

// Every test gets its own empty settings store and autostart folder.
class FormTest : public ::testing::Test {
  protected:
    // A started window whose server rows all lie on loopback. It sets
    // `otherClock` when given, the recording clock otherwise.
    MainForm& StartForm(quint16 port = 13, int deadlineMs = 3000, SystemClock* otherClock = nullptr,
                        std::chrono::milliseconds querySpacing = QuerySpacing::kMinimumSpacing) {
        form_ = std::make_unique<MainForm>(MainFormServices{
            runtime, otherClock ? *otherClock : clock, port, deadlineMs, querySpacing});
        ui.emplace(*form_);
        form_->startUp();
        for (std::int16_t row = 0; row < kServerCount; ++row)
            form_->servers.ServerHost[row] = "127.0.0.1";
        return *form_;
    }

    // Shows the window as an interactive start does and makes it active.
    MainForm& ShownForm() {
        MainForm& form = StartForm();
        form.showIfInteractive();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }

    bool WaitForStatus(const QString& prefix, int ms = 5000) {
        return QTest::qWaitFor([&] { return ui->statusLabel->text().startsWith(prefix); }, ms);
    }

    TestRuntime runtime;
    RecordingClock clock;
    std::optional<Controls> ui;  // the controls of the window StartForm made last

  private:
    TempConfigHome configHome_;
    std::unique_ptr<MainForm> form_;
};

}  // namespace brisendale::testing
