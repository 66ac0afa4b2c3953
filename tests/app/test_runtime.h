// The window under test on a recording runtime, the engine's fakes and a fresh settings store.
#pragma once

#include "app/main_form.h"
#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_clock.h"
#include "tests/support/recording_runtime.h"
#include "tests/support/temp_config_home.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

namespace brisendale::testing {

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

class FormTest : public ::testing::Test {
  protected:
    // A started window on the fakes; `shown`: shown and active, as an interactive start leaves it.
    MainForm& StartForm(bool shown = false) {
        form_ = std::make_unique<MainForm>(MainFormServices{
            runtime, SyncServices{transport, scheduler, clock, [](ClockInstant) { return 0; }}});
        ui.emplace(*form_);
        form_->startUp();
        if (shown) {
            form_->showCentred();
            QApplication::setActiveWindow(form_.get());
            EXPECT_TRUE(QTest::qWaitForWindowActive(form_.get()));
        }
        return *form_;
    }

    RecordingRuntime runtime;
    FakeTransport transport;
    ManualScheduler scheduler;
    RecordingClock clock;
    std::optional<Controls> ui;  // the controls of the window StartForm made last
    TempConfigHome home;

  private:
    std::unique_ptr<MainForm> form_;
};

}  // namespace brisendale::testing
