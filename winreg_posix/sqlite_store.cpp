#include "winreg_posix/sqlite_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <utility>

#include "winreg_posix/file_system.h"
#include "winreg_posix/sqlite_statement.h"
#include "winreg_posix/store_batch.h"
#include "winreg_posix/store_location.h"

namespace brisendale::winreg {
namespace {

std::atomic<int> busyTimeoutMs{10000};
// Marks the database as ours; a different SQLite file at our path is left alone.
constexpr int kApplicationId = 0x42725265;

// ERROR_FILE_NOT_FOUND when there is no store yet. A store that SQLite
// could not open without hanging (a FIFO) or should not write through (a link
// to someone else's file) is refused, and the failure records why.
LONG CheckStoreFile(const std::string& file) {
    Failure why;
    switch (KindOfFile(file, &why)) {
        case FileKind::kMissing:
            return ERROR_FILE_NOT_FOUND;
        case FileKind::kRegular:
            return ERROR_SUCCESS;
        case FileKind::kOther:
            break;
    }
    RecordFailure(std::move(why));
    return ERROR_ACCESS_DENIED;
}

}  // namespace

void SetBusyTimeout(std::chrono::milliseconds timeout) {
    busyTimeoutMs = static_cast<int>(timeout.count());
}

Store::~Store() {
    if (borrowed_) {
        // A write that neither committed nor said it changed nothing has
        // failed half-way; the batch must not land without it.
        if (batchWrite_)
            FailBatch(CurrentBatch(), ERROR_ACCESS_DENIED);
        return;
    }
    if (inTransaction_)
        Exec("ROLLBACK");
    sqlite3_close(db_);
}

LONG Store::OpenForReading() {
    Batch& batch = CurrentBatch();
    std::unique_lock lock(batch.mutex);
    if (batch.db != nullptr) {
        // The batch's own writes must be visible to reads made during it.
        db_ = batch.db;
        file_ = batch.file;
        borrowed_ = true;
        batchLock_ = std::move(lock);
        return ERROR_SUCCESS;
    }
    lock.unlock();
    return OpenOwnForReading();
}

LONG Store::OpenForWriting() {
    Batch& batch = CurrentBatch();
    std::unique_lock lock(batch.mutex);
    if (batch.depth == 0) {
        lock.unlock();
        return OpenOwnForWriting();
    }
    if (batch.failure != ERROR_SUCCESS) {
        RecordFailure(batch.why);
        return batch.failure;
    }
    if (batch.db == nullptr) {
        if (LONG opened = OpenOwnForWriting(); opened != ERROR_SUCCESS) {
            FailBatch(batch, opened);
            return opened;
        }
        batch.db = std::exchange(db_, nullptr);
        batch.file = file_;
        inTransaction_ = false;
    } else if (sqlite3_get_autocommit(batch.db) != 0) {
        // SQLite ended the transaction itself after an error, and with it
        // the batch's earlier writes.
        RecordFailure({ERROR_CANT_ACCESS_FILE, batch.file, kBatchRolledBack});
        FailBatch(batch, ERROR_ACCESS_DENIED);
        return ERROR_ACCESS_DENIED;
    }
    db_ = batch.db;
    file_ = batch.file;
    borrowed_ = true;
    batchWrite_ = true;
    batchLock_ = std::move(lock);
    return ERROR_SUCCESS;
}

LONG Store::Commit() {
    if (borrowed_) {
        // The batch's end commits.
        batchWrite_ = false;
        return ERROR_SUCCESS;
    }
    const int code = Exec("COMMIT");
    if (code != SQLITE_OK)
        return Fail(code);
    inTransaction_ = false;
    return ERROR_SUCCESS;
}

bool Store::KeyExists(const KeyPath& key) {
    if (key.path.empty())
        return true;
    Statement query(db_, "SELECT 1 FROM reg_keys WHERE root = ?1 AND path = ?2");
    query.Bind(1, key.root).Bind(2, key.path);
    return query.Step() == SQLITE_ROW;
}

LONG Store::AddKey(const KeyPath& key) {
    std::size_t end = 0;
    while (end != std::string::npos && !key.path.empty()) {
        end = key.path.find('\\', end + 1);
        Statement insert(db_, "INSERT OR IGNORE INTO reg_keys(root, path) VALUES(?1, ?2)");
        insert.Bind(1, key.root).Bind(2, std::string_view(key.path).substr(0, end));
        if (int code = insert.Step(); code != SQLITE_DONE)
            return Fail(code);
    }
    return ERROR_SUCCESS;
}

std::vector<std::string> Store::KeyPaths(std::uint32_t root) {
    std::vector<std::string> paths;
    Statement query(db_, "SELECT path FROM reg_keys WHERE root = ?1");
    query.Bind(1, root);
    while (query.Step() == SQLITE_ROW)
        paths.push_back(query.Text(0));
    return paths;
}

LONG Store::ReadValue(const KeyPath& key, std::string_view name, Value& value) {
    Statement query(db_,
                    "SELECT type, data FROM reg_values WHERE root = ?1 AND path = ?2"
                    " AND name = ?3");
    query.Bind(1, key.root).Bind(2, key.path).Bind(3, name);
    const int code = query.Step();
    if (code == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (code != SQLITE_ROW)
        return Fail(code);
    value = Value{static_cast<DWORD>(query.Int(0)), query.Text(1)};
    return ERROR_SUCCESS;
}

void Store::ListValues(const KeyPath& key, NamedValues& values) {
    Statement query(db_,
                    "SELECT name, type, data FROM reg_values WHERE root = ?1 AND path = ?2"
                    " ORDER BY name");
    query.Bind(1, key.root).Bind(2, key.path);
    while (query.Step() == SQLITE_ROW) {
        values.emplace_back(query.Text(0), Value{static_cast<DWORD>(query.Int(1)), query.Text(2)});
    }
}

LONG Store::SetValue(const KeyPath& key, std::string_view name, DWORD type, std::string_view data) {
    Statement upsert(db_,
                     "INSERT INTO reg_values(root, path, name, type, data)"
                     " VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(root, path, name)"
                     " DO UPDATE SET type = excluded.type, data = excluded.data");
    upsert.Bind(1, key.root).Bind(2, key.path).Bind(3, name).Bind(4, type);
    upsert.BindBlob(5, data);
    const int code = upsert.Step();
    return code == SQLITE_DONE ? ERROR_SUCCESS : Fail(code);
}

LONG Store::DeleteValue(const KeyPath& key, std::string_view name) {
    Statement remove(db_, "DELETE FROM reg_values WHERE root = ?1 AND path = ?2 AND name = ?3");
    remove.Bind(1, key.root).Bind(2, key.path).Bind(3, name);
    if (int code = remove.Step(); code != SQLITE_DONE)
        return Fail(code);
    if (sqlite3_changes(db_) == 0) {
        batchWrite_ = false;
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

LONG Store::OpenOwnForReading() {
    const auto location = FindStoreLocation();
    if (!location)
        return ERROR_FILE_NOT_FOUND;
    file_ = location->file;
    if (const LONG usable = CheckStoreFile(file_); usable != ERROR_SUCCESS)
        return usable;
    int code = sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close(db_);
        db_ = nullptr;
        code = sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    }
    if (code != SQLITE_OK)
        return Fail(code);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    if (LONG sound = CheckSound(); sound != ERROR_SUCCESS)
        return sound;
    return HasSchema() ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// Opens the store, making it first if need be, and begins a write
// transaction that Commit ends; the destructor rolls back otherwise.
LONG Store::OpenOwnForWriting() {
    const auto location = FindStoreLocation();
    if (!location) {
        RecordFailure({ERROR_CANT_ACCESS_FILE, "", std::string(kNoConfigHome)});
        return ERROR_ACCESS_DENIED;
    }
    file_ = location->file;
    if (const int error = MakeFolders(location->folder); error != 0)
        return FailOnFile(ERROR_ACCESS_DENIED, file_, error, "its folder cannot be made");
    if (const LONG usable = CheckStoreFile(file_); usable == ERROR_FILE_NOT_FOUND) {
        // Made here rather than by SQLite so that it gets mode 0600 (its
        // journal copies the mode). No O_TRUNC: a file that appeared
        // meanwhile is kept as is.
        const int fd =
            open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0)
            return FailOnFile(ERROR_ACCESS_DENIED, file_, errno);
        close(fd);
    } else if (usable != ERROR_SUCCESS) {
        return usable;
    }
    const int code = sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (code != SQLITE_OK)
        return Fail(code);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    if (LONG sound = CheckSound(); sound != ERROR_SUCCESS)
        return sound;
    // IMMEDIATE takes the write lock at once, so two writers queue on the
    // busy timeout instead of failing when one upgrades from reading.
    if (int begin = Exec("BEGIN IMMEDIATE"); begin != SQLITE_OK)
        return Fail(begin);
    inTransaction_ = true;
    if (HasSchema())
        return ERROR_SUCCESS;
    if (TableCount() != 0)
        return NotOurs();
    const int made = Exec(
        "CREATE TABLE reg_keys(root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
        " PRIMARY KEY(root, path));"
        "CREATE TABLE reg_values(root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
        " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
        " PRIMARY KEY(root, path, name));"
        "PRAGMA application_id = 1114788453;");
    return made == SQLITE_OK ? ERROR_SUCCESS : Fail(made);
}

int Store::Exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

LONG Store::Fail(int code) {
    RecordFailure(FailureFromSqlite(db_, code, file_));
    return ErrorFromSqlite(code);
}

LONG Store::NotOurs() {
    RecordFailure({ERROR_BADDB, file_, "it is a database of another program"});
    return ERROR_BADDB;
}

// A file that is not a database, or a damaged one, is never written to.
LONG Store::CheckSound() {
    Statement check(db_, "PRAGMA quick_check");
    if (!check.Ok())
        return Fail(sqlite3_errcode(db_));
    const int code = check.Step();
    if (code != SQLITE_ROW)
        return Fail(code);
    if (check.Text(0) != "ok")
        return Fail(SQLITE_CORRUPT);
    Statement id(db_, "PRAGMA application_id");
    if (id.Step() != SQLITE_ROW || (id.Int(0) != kApplicationId && TableCount() != 0))
        return NotOurs();
    return ERROR_SUCCESS;
}

std::int64_t Store::TableCount() {
    Statement count(db_, "SELECT count(*) FROM sqlite_master");
    return count.Step() == SQLITE_ROW ? count.Int(0) : -1;
}

bool Store::HasSchema() {
    Statement count(db_,
                    "SELECT count(*) FROM sqlite_master WHERE type = 'table'"
                    " AND name IN ('reg_keys', 'reg_values')");
    return count.Step() == SQLITE_ROW && count.Int(0) == 2;
}

}  // namespace brisendale::winreg
