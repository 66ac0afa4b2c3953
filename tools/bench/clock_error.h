// How far from the true time the logon run would set the clock: the instant
// it asks for, against the time a server on this machine keeps at that
// moment.
#pragma once

#include "tools/bench/bench_report.h"

namespace brisendale::bench {

// Needs a QCoreApplication. Prints its row; false when a run did not reach
// the clock.
bool MeasureClockError(const BenchOptions& options);

}  // namespace brisendale::bench
