// The logon run as a process, beside the least a Daytime client can be: wall
// time, peak memory, and the font files the logon run opens. Forks, so it runs
// before this process starts any Qt thread.
#pragma once

#include "tools/bench/bench_report.h"

namespace brisendale::bench {

// Prints its rows; false when a program ended in a way that means it is broken.
bool MeasureProcesses(const BenchOptions& options);

}  // namespace brisendale::bench
