// How long the window's event loop can stall while a retrieval waits: on a
// server that accepts the connection and says nothing, and on a name that no
// name server answers for.
#pragma once

#include "tools/bench/bench_report.h"

namespace brisendale::bench {

// Needs a QApplication on the offscreen platform. Prints its row; false when
// the retrieval never ended.
bool MeasureStallOnSilentServer(const BenchOptions& options);

// Forks a process with namespaces and a QApplication of its own, so it runs
// before this process starts any Qt thread. Prints its row; false when the
// retrieval never ended or the process crashed.
bool MeasureStallOnUnresolvableName(const BenchOptions& options);

}  // namespace brisendale::bench
