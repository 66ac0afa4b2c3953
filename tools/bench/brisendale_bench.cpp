// make bench: what the logon run costs beside the least a Daytime client can
// be, how long the window's event loop can stall while a retrieval waits, and
// how far from the true time the clock would be set. Prints a Markdown table.
//
// It measures and never judges a figure: it ends with status 1 only when a
// measure could not run because the program misbehaved (a crash, a logon run
// with an unexpected exit status, a retrieval that never ended).
//
// Usage: brisendale_bench [--short] [--program PATH]
//   --short         one run of each measure, quickly: `make test` runs it so
//                   that the benchmark cannot rot
//   --program PATH  measure the logon run of another build of the program; the
//                   window and the clock's error, measured in this process,
//                   are this build's and are left out
#include <QApplication>

#include <cstdio>
#include <cstring>

#include "tools/bench/bench_report.h"
#include "tools/bench/clock_error.h"
#include "tools/bench/event_loop_stall.h"
#include "tools/bench/process_measures.h"

namespace {

using brisendale::bench::BenchOptions;

bool ReadOptions(int argc, char** argv, BenchOptions& options) {
    options.logonProgram = BRISENDALE_EXECUTABLE;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--short") == 0) {
            options.shortRun = true;
            options.processRuns = 1;
            options.clockRuns = 1;
            options.replyDeadlineMs = 3000;
        } else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc) {
            options.logonProgram = argv[++i];
        } else {
            std::fputs("usage: brisendale_bench [--short] [--program PATH]\n", stderr);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brisendale::bench;
    BenchOptions options;
    if (!ReadOptions(argc, argv, options))
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const TempFolder runtimeFolder;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtimeFolder.Path().string()));

    Row("Measure", "Figure", "Notes");
    Row("---", "---", "---");
    bool sound = MeasureProcesses(options);
    if (options.logonProgram != BRISENDALE_EXECUTABLE)
        return sound ? 0 : 1;
    // The measures that fork come before this process starts Qt's threads.
    sound = MeasureStallOnUnresolvableName(options) && sound;
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    sound = MeasureStallOnSilentServer(options) && sound;
    sound = MeasureClockError(options) && sound;
    return sound ? 0 : 1;
}
