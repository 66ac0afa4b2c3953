// Grouped writes (RegBeginBatchPOSIX): while a batch is open, the store
// writes of this process share one connection and one write transaction,
// committed by the outermost end.
#pragma once

#include <sqlite3.h>

#include <mutex>
#include <string>

#include "winreg_posix/failure_record.h"
#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

// The batch open in this process, if any. Its connection is made by the first
// write and holds one write transaction until the outermost end.
struct Batch {
    std::recursive_mutex mutex;
    int depth = 0;
    sqlite3* db = nullptr;
    std::string file;  // the store that `db` is open on
    // The first failure inside the batch and its record; from then on it
    // lands nothing, and every write and the end repeat that failure.
    LONG failure = ERROR_SUCCESS;
    Failure why;
};

// Why a batch fails whose transaction SQLite ended by itself.
inline constexpr const char* kBatchRolledBack = "the store undid the writes after an error";

Batch& CurrentBatch();

// Gives up the batch: what it wrote so far is rolled back at once, so no
// later read of this process sees a half of it. The failure recorded last
// is kept as the batch's.
void FailBatch(Batch& batch, LONG failure);

LONG BeginBatch();
// ERROR_SUCCESS when the writes landed (or there were none), the batch's
// failure otherwise, ERROR_INVALID_PARAMETER without an open batch.
LONG EndBatch();

}  // namespace brisendale::winreg
