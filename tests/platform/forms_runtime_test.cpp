// The runtime's safety net and the command line the window sees.
#include "platform/runtime/forms_runtime.h"
#include "platform/runtime/runtime_error.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace brisendale {
namespace {

class RecordingRuntime : public FormsRuntime {
  public:
    QStringList warnings;
    void ShowWarning(QWidget*, const QString& text) override { warnings << text; }
    void EndProgram(int status) override { MarkEnded(status); }
};

TEST(CommandLine, IsTheArgumentsAfterTheProgramJoinedByBlanks) {
    EXPECT_EQ(JoinCommandLine({"/usr/bin/brisendale", "-startup"}), "-startup");
    EXPECT_EQ(JoinCommandLine({"/usr/bin/brisendale"}), "");
    EXPECT_EQ(JoinCommandLine({"brisendale", "-startup", "now"}), "-startup now");
    EXPECT_EQ(JoinCommandLine({}), "");
}

TEST(ExecutableName, KeepsEveryDotOutsideWindows) {
    const std::pair<QString, QString> rows[] = {
#ifdef Q_OS_WIN
        {"C:/Apps/ClockSet.exe", "ClockSet"},
        {"C:/Apps/brisendale-1.0.exe", "brisendale-1.0"},
#else
        {"/usr/bin/brisendale", "brisendale"},
        {"/opt/brisendale-1.0", "brisendale-1.0"},
        {"/home/a/Brisendale.AppImage", "Brisendale.AppImage"},
        {"/opt/x/brisendale.bin", "brisendale.bin"},
#endif
    };
    for (const auto& [path, name] : rows) {
        EXPECT_EQ(ExecutableNameOf(path), name) << path.toStdString();
    }
}

TEST(Dispatch, UntrappedErrorIsShownWithNumberAndEndsTheProgram) {
    RecordingRuntime runtime;
    runtime.Dispatch(nullptr, [] { throw RuntimeError(13, "Type mismatch"); });
    ASSERT_EQ(runtime.warnings.size(), 1);
    EXPECT_TRUE(runtime.warnings.front().contains("13"));
    EXPECT_TRUE(runtime.warnings.front().contains("Type mismatch"));
    EXPECT_TRUE(runtime.Ended());
    EXPECT_EQ(runtime.EndStatus(), 1);
}

TEST(Dispatch, NoHandlerRunsAfterTheEnd) {
    RecordingRuntime runtime;
    runtime.Dispatch(nullptr, [&] { runtime.EndProgram(0); });
    bool ran = false;
    runtime.Dispatch(nullptr, [&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_EQ(runtime.EndStatus(), 0);
}

TEST(Dispatch, OtherExceptionsNeverEscapeIntoTheEventLoop) {
    RecordingRuntime runtime;
    EXPECT_NO_THROW(runtime.Dispatch(nullptr, [] { throw std::logic_error("broken"); }));
    EXPECT_TRUE(runtime.Ended());
    EXPECT_NE(runtime.EndStatus(), 0);
}

TEST(Dispatch, HandlerThatEndsItselfIsNotReportedTwice) {
    RecordingRuntime runtime;
    runtime.Dispatch(nullptr, [&] {
        runtime.EndProgram(1);
        throw RuntimeError(9, "Subscript out of range");
    });
    EXPECT_TRUE(runtime.warnings.isEmpty());
    EXPECT_EQ(runtime.EndStatus(), 1);
}

}  // namespace
}  // namespace brisendale
