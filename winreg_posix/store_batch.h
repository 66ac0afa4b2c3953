// Grouped writes (RegBeginBatchPOSIX): while a batch is open, the store
// writes of this process share one connection and one write transaction,
// committed by the outermost end.
#pragma once

#include <sqlite3.h>

#include <mutex>

#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

// The batch open in this process, if any. Its connection is made by the first
// write and holds one write transaction until the outermost end.
struct Batch {
    std::recursive_mutex mutex;
    int depth = 0;
    sqlite3* db = nullptr;
    // The first failure inside the batch; from then on it lands nothing.
    LONG failure = ERROR_SUCCESS;
};

Batch& CurrentBatch();

// Gives up the batch: what it wrote so far is rolled back at once, so no
// later read of this process sees a half of it.
void FailBatch(Batch& batch, LONG failure);

LONG BeginBatch();
// ERROR_SUCCESS when the writes landed (or there were none), the batch's
// failure otherwise, ERROR_INVALID_PARAMETER without an open batch.
LONG EndBatch();

}  // namespace brisendale::winreg
