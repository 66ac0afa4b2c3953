// A forms runtime for tests: message boxes and the program's end are recorded
// instead of blocking on a dialog or leaving the test process; the settings
// store lives in a fresh temporary folder.
#pragma once

#include "app/main_form.h"
#include "platform/runtime/forms_runtime.h"
#include "tests/support/recording_clock.h"

#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <memory>

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

// Every test gets its own empty settings store and autostart folder.
class FormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(configHome_.isValid());
        qputenv("XDG_CONFIG_HOME", configHome_.path().toUtf8());
    }

    MainForm& MakeForm(quint16 port = 13, int deadlineMs = 15000) {
        form_ = std::make_unique<MainForm>(MainFormServices{.runtime = runtime,
                                                            .clock = clock,
                                                            .daytimePort = port,
                                                            .replyDeadlineMs = deadlineMs});
        return *form_;
    }

    QString ConfigHome() const { return configHome_.path(); }

    TestRuntime runtime;
    RecordingClock clock;

  private:
    QTemporaryDir configHome_;
    std::unique_ptr<MainForm> form_;
};

}  // namespace brisendale::testing
