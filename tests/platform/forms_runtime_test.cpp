// The runtime's safety net, and the program's own file named in the logon command.
#include "platform/runtime/forms_runtime.h"
#include "platform/runtime/program_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/recording_runtime.h"

namespace brisendale {
namespace {

TEST(ProgramFile, KeepsTheBytesOfItsPathAndOutsideWindowsTheDotsOfItsName) {
#ifndef Q_OS_WIN
    const ProgramFile file = ProgramFileAt("/opt/latin\xe9/Brisendale.AppImage");
    EXPECT_EQ(file.folder, "/opt/latin\xe9");
    EXPECT_EQ(file.name, "Brisendale.AppImage");
    EXPECT_EQ(ProgramFileAt("/brisendale").folder, "/");
    EXPECT_EQ(ThisProgramFile().name, "forms_runtime_test");
#endif
}

// Nothing may escape into Qt's event loop, which cannot carry exceptions.
TEST(Dispatch, AFailureIsShownOnceAndEndsTheProgramAfterWhichNothingRuns) {
    RecordingRuntime failed, endedItself;
    failed.Dispatch(nullptr, [] { throw std::logic_error("broken"); });
    endedItself.Dispatch(nullptr, [&] {
        endedItself.EndProgram(0);
        throw std::logic_error("after the end");
    });
    EXPECT_EQ(failed.warnings, QStringList{"Run-time error '51':\n\nbroken"});
    EXPECT_EQ(endedItself.warnings, QStringList{}) << "reported though already ended";
    for (RecordingRuntime* runtime : {&failed, &endedItself}) {
        EXPECT_EQ(runtime->EndStatus(), runtime == &endedItself ? 0 : 1);
        bool ran = false;
        runtime->Dispatch(nullptr, [&] { ran = true; });
        EXPECT_FALSE(ran) << "a handler ran after the end";
    }
}

}  // namespace
}  // namespace brisendale
