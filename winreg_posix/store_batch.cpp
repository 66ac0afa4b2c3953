#include "winreg_posix/store_batch.h"

#include "winreg_posix/sqlite_statement.h"

namespace brisendale::winreg {
namespace {

void RollBack(Batch& batch) {
    sqlite3_exec(batch.db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Close(Batch& batch) {
    sqlite3_close(batch.db);
    batch.db = nullptr;
}

}  // namespace

Batch& CurrentBatch() {
    static Batch batch;
    return batch;
}

void FailBatch(Batch& batch, LONG failure) {
    if (batch.db != nullptr) {
        RollBack(batch);
        Close(batch);
    }
    if (batch.failure == ERROR_SUCCESS) {
        batch.failure = failure;
        batch.why = LastFailure();
    }
}

LONG BeginBatch() {
    Batch& batch = CurrentBatch();
    std::lock_guard lock(batch.mutex);
    ++batch.depth;
    return ERROR_SUCCESS;
}

LONG EndBatch() {
    Batch& batch = CurrentBatch();
    std::lock_guard lock(batch.mutex);
    if (batch.depth == 0)
        return ERROR_INVALID_PARAMETER;
    if (batch.failure != ERROR_SUCCESS)
        RecordFailure(batch.why);
    if (--batch.depth > 0)
        return batch.failure;
    LONG result = batch.failure;
    if (batch.db != nullptr) {
        if (sqlite3_get_autocommit(batch.db) != 0) {
            RecordFailure({ERROR_CANT_ACCESS_FILE, batch.file, kBatchRolledBack});
            result = ERROR_ACCESS_DENIED;
        } else if (int code = sqlite3_exec(batch.db, "COMMIT", nullptr, nullptr, nullptr);
                   code != SQLITE_OK) {
            RecordFailure(FailureFromSqlite(batch.db, code, batch.file));
            RollBack(batch);
            result = ErrorFromSqlite(code);
        }
        Close(batch);
    }
    batch.failure = ERROR_SUCCESS;
    batch.why = Failure{};
    return result;
}

}  // namespace brisendale::winreg
