// A forms runtime for tests: message boxes and the program's end are recorded
// instead of blocking on a dialog or leaving the test process; the settings
// store lives in a fresh temporary folder.
#pragma once

#include "app/main_form.h"
#include "platform/runtime/forms_runtime.h"
#include "tests/support/recording_clock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>

namespace brisendale::testing {

class TestRuntime : public FormsRuntime {
  public:
    QStringList warnings;
    QString commandLine;

    void ShowWarning(QWidget*, const QString& text) override { warnings << text; }
    void EndProgram(int status) override { MarkEnded(status); }
    QString CommandLine() const override { return commandLine; }
    QString ApplicationFolder() const override { return QStringLiteral("/opt/Brisendale Test"); }
    QString ExecutableName() const override { return QStringLiteral("brisendale"); }
};

template <class Control>
Control* Find(const QObject& form, const char* objectName) {
    if (auto* control = form.findChild<Control*>(QLatin1String(objectName)))
        return control;
    throw std::runtime_error(std::string("the window has no control named ") + objectName);
}

// The window's controls, found by objectName as UI automation finds them.
struct Controls {
    explicit Controls(const QObject& form) : window(&form) {}
    const QObject* window;
    QGroupBox* serverFrame = Find<QGroupBox>(*window, "Frame1");
    QLabel* serverCaption = Find<QLabel>(*window, "Label1");
    QComboBox* serverList = Find<QComboBox>(*window, "cboServer");
    QLabel* zoneCaption = Find<QLabel>(*window, "Label2");
    QComboBox* zoneList = Find<QComboBox>(*window, "cboGMT");
    QLabel* portCaption = Find<QLabel>(*window, "Label3");
    QLineEdit* portField = Find<QLineEdit>(*window, "txtPort");
    QPushButton* retrieveButton = Find<QPushButton>(*window, "Command1");
    QPushButton* setClockButton = Find<QPushButton>(*window, "Command3");
    QGroupBox* startupFrame = Find<QGroupBox>(*window, "Frame2");
    QCheckBox* syncAtLogonBox = Find<QCheckBox>(*window, "chkStartupSync");
    QLabel* delayCaption = Find<QLabel>(*window, "Label5");
    QLineEdit* delayField = Find<QLineEdit>(*window, "txtDelay");
    QLabel* delayUnit = Find<QLabel>(*window, "Label6");
    QPushButton* closeButton = Find<QPushButton>(*window, "Command2");
    QLabel* timeCaption = Find<QLabel>(*window, "Label4");
    QLabel* timeLabel = Find<QLabel>(*window, "lblAtomicTime");
    QLabel* statusLabel = Find<QLabel>(*window, "lblStatus");
    QLabel* icon = Find<QLabel>(*window, "IconImg");
    QTimer* logonDelayTimer = Find<QTimer>(*window, "DelayTimer");
    DaytimeConnection* daytimeConnection = Find<DaytimeConnection>(*window, "WSTime");
};

// Every test gets its own empty settings store and autostart folder.
class FormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(configHome_.isValid());
        qputenv("XDG_CONFIG_HOME", configHome_.path().toUtf8());
    }

    // The window sets `otherClock` when given, the recording clock otherwise.
    MainForm& MakeForm(quint16 port = 13, int deadlineMs = 15000, SystemClock* otherClock = nullptr,
                       std::chrono::milliseconds querySpacing = QuerySpacing::kMinimumSpacing) {
        form_ =
            std::make_unique<MainForm>(MainFormServices{.runtime = runtime,
                                                        .clock = otherClock ? *otherClock : clock,
                                                        .daytimePort = port,
                                                        .replyDeadlineMs = deadlineMs,
                                                        .querySpacing = querySpacing});
        ui.emplace(*form_);
        return *form_;
    }

    QString ConfigHome() const { return configHome_.path(); }

    TestRuntime runtime;
    RecordingClock clock;
    std::optional<Controls> ui;  // the controls of the window MakeForm made last

  private:
    QTemporaryDir configHome_;
    std::unique_ptr<MainForm> form_;
};

}  // namespace brisendale::testing
