// The registry API over an SQLite store and the XDG autostart folder.
//
// Every call opens the store, does its work in at most one transaction and
// closes it again; a handle is only a remembered key path. So two processes
// never hold the store between calls, and a handle left open holds nothing.
// The one exception is a batch (RegBeginBatchPOSIX): while it is open, the
// calls share its connection and its transaction until it ends.
#include "winreg_posix/winreg_posix.h"
#include "platform/runtime/ascii_case.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "winreg_posix/desktop_entry.h"

namespace {

// Far above what the program stores; keeps one bad caller from filling the disk.
constexpr DWORD kMaxDataSize = 1u << 20;
constexpr std::size_t kMaxNameLength = 16383;
constexpr off_t kMaxDesktopFileSize = 64 * 1024;
constexpr int kBusyTimeoutMs = 10000;
// Marks the database as ours; a different SQLite file at our path is left alone.
constexpr int kApplicationId = 0x42725265;

constexpr std::uint32_t kHklm = 0x80000002u;
constexpr std::string_view kRunPath = "software\\microsoft\\windows\\currentversion\\run";

std::string Lower(std::string_view text) {
    return brisendale::AsciiLower(text);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return Lower(a) == Lower(b);
}

// ---------------------------------------------------------------- handles

struct OpenKey {
    std::uint32_t root;
    std::string path;  // from the root, components joined by backslashes; "" is the root
};

std::optional<std::uint32_t> PredefinedRoot(HKEY key) {
    const auto low = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(key));
    if (low >= 0x80000000u && low <= 0x80000003u)
        return low;
    return std::nullopt;
}

class HandleTable {
  public:
    HKEY Add(OpenKey key) {
        std::lock_guard lock(mutex_);
        // Handle values are multiples of 16 below 0x80000000, so they never
        // look like a predefined key; a closed value is not handed out again
        // until the counter wraps.
        do {
            next_ = next_ % 0x07FFFFFFu + 1;
        } while (keys_.count(next_) != 0);
        keys_.emplace(next_, std::move(key));
        return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(next_) << 4);
    }

    std::optional<OpenKey> Find(HKEY handle) {
        if (auto root = PredefinedRoot(handle))
            return OpenKey{*root, ""};
        std::lock_guard lock(mutex_);
        const auto it = keys_.find(Id(handle));
        if (handle == nullptr || it == keys_.end())
            return std::nullopt;
        return it->second;
    }

    bool Remove(HKEY handle) {
        std::lock_guard lock(mutex_);
        return handle != nullptr && keys_.erase(Id(handle)) == 1;
    }

  private:
    static std::uintptr_t Id(HKEY handle) {
        const auto value = reinterpret_cast<std::uintptr_t>(handle);
        return (value & 0xF) == 0 ? value >> 4 : 0;
    }

    std::mutex mutex_;
    std::map<std::uintptr_t, OpenKey> keys_;
    std::uintptr_t next_ = 0;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

// The key below `base` named by `subKey`, or nothing when the path is not a
// valid one (empty components, over-long names).
std::optional<OpenKey> Descend(const OpenKey& base, LPCSTR subKey) {
    std::string_view rest = subKey == nullptr ? "" : subKey;
    while (!rest.empty() && rest.back() == '\\')
        rest.remove_suffix(1);
    OpenKey key = base;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        if (part.empty() || part.size() > 255)
            return std::nullopt;
        if (!key.path.empty())
            key.path += '\\';
        key.path += part;
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
    }
    return key;
}

bool IsRunKey(const OpenKey& key) {
    return key.root == kHklm && Lower(key.path) == kRunPath;
}

// The Run key and the keys above it exist on every Windows machine; here they
// exist whether or not the store does.
bool IsOnRunPath(const OpenKey& key) {
    if (key.root != kHklm)
        return false;
    const std::string lower = Lower(key.path);
    return lower.empty() || lower == kRunPath ||
           (kRunPath.substr(0, lower.size()) == lower && kRunPath[lower.size()] == '\\');
}

// ---------------------------------------------------------------- locations

std::optional<std::string> ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg);
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.config";
    return std::nullopt;
}

bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// ---------------------------------------------------------------- the store

class Statement {
  public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
            statement_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return statement_ != nullptr; }
    Statement& Bind(int index, std::int64_t value) {
        if (statement_)
            sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    Statement& Bind(int index, std::string_view text) {
        if (statement_) {
            // A null pointer would bind SQL NULL; the empty text must stay a text.
            sqlite3_bind_text(statement_, index, text.empty() ? "" : text.data(),
                              static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
        return *this;
    }
    Statement& BindBlob(int index, const BYTE* data, DWORD size) {
        static const BYTE kEmpty = 0;
        if (statement_) {
            sqlite3_bind_blob(statement_, index, size == 0 ? &kEmpty : data, static_cast<int>(size),
                              SQLITE_TRANSIENT);
        }
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR; }
    std::int64_t Int(int column) { return sqlite3_column_int64(statement_, column); }
    std::string Text(int column) {
        const auto* bytes = sqlite3_column_blob(statement_, column);
        const int size = sqlite3_column_bytes(statement_, column);
        return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
    }

  private:
    sqlite3_stmt* statement_ = nullptr;
};

LONG ErrorFromSqlite(int code) {
    switch (code & 0xFF) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return ERROR_BADDB;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

// ---------------------------------------------------------------- batches

// The batch open in this process, if any. Its connection is made by the first
// write and holds one write transaction until the outermost end.
struct Batch {
    std::recursive_mutex mutex;
    int depth = 0;
    sqlite3* db = nullptr;
    // The first failure inside the batch; from then on it lands nothing.
    LONG failure = ERROR_SUCCESS;
};

Batch& CurrentBatch() {
    static Batch batch;
    return batch;
}

// Gives up the batch: what it wrote so far is rolled back at once, so no
// later read of this process sees a half of it.
void FailBatch(Batch& batch, LONG failure) {
    if (batch.db != nullptr) {
        sqlite3_exec(batch.db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(batch.db);
        batch.db = nullptr;
    }
    if (batch.failure == ERROR_SUCCESS)
        batch.failure = failure;
}

class Store {
  public:
    Store() = default;
    ~Store() {
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
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens the existing store for reading. ERROR_FILE_NOT_FOUND when there is
    // none yet, which the callers read as "no such key or value".
    LONG OpenForReading() {
        Batch& batch = CurrentBatch();
        std::unique_lock lock(batch.mutex);
        if (batch.db != nullptr) {
            // The batch's own writes must be visible to reads made during it.
            db_ = batch.db;
            borrowed_ = true;
            batchLock_ = std::move(lock);
            return ERROR_SUCCESS;
        }
        lock.unlock();
        return OpenOwnForReading();
    }

    // Opens the store for a write: inside a batch on the batch's connection
    // (made here by the batch's first write), otherwise on a connection of
    // its own with a transaction that Commit ends.
    LONG OpenForWriting() {
        Batch& batch = CurrentBatch();
        std::unique_lock lock(batch.mutex);
        if (batch.depth == 0) {
            lock.unlock();
            return OpenOwnForWriting();
        }
        if (batch.failure != ERROR_SUCCESS)
            return batch.failure;
        if (batch.db == nullptr) {
            if (LONG opened = OpenOwnForWriting(); opened != ERROR_SUCCESS) {
                FailBatch(batch, opened);
                return opened;
            }
            batch.db = std::exchange(db_, nullptr);
            inTransaction_ = false;
        } else if (sqlite3_get_autocommit(batch.db) != 0) {
            // SQLite ended the transaction itself after an error, and with it
            // the batch's earlier writes.
            FailBatch(batch, ERROR_ACCESS_DENIED);
            return ERROR_ACCESS_DENIED;
        }
        db_ = batch.db;
        borrowed_ = true;
        batchWrite_ = true;
        batchLock_ = std::move(lock);
        return ERROR_SUCCESS;
    }

    // Ends a write that changed nothing; unlike a failure, it costs a batch
    // nothing.
    void Unchanged() { batchWrite_ = false; }

  private:
    LONG OpenOwnForReading() {
        const auto path = DatabasePath();
        if (!path || !FileExists(*path))
            return ERROR_FILE_NOT_FOUND;
        int code = sqlite3_open_v2(path->c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        if (code != SQLITE_OK) {
            sqlite3_close(db_);
            db_ = nullptr;
            code = sqlite3_open_v2(path->c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
        }
        if (code != SQLITE_OK)
            return ErrorFromSqlite(code);
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        if (LONG sound = CheckSound(); sound != ERROR_SUCCESS)
            return sound;
        return HasSchema() ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }

    // Opens the store, making it first if need be, and begins a write
    // transaction that Commit ends; the destructor rolls back otherwise.
    LONG OpenOwnForWriting() {
        const auto home = ConfigHome();
        if (!home || !MakeFolders(*home + "/brisendale"))
            return ERROR_ACCESS_DENIED;
        const std::string path = *home + "/brisendale/registry.sqlite3";
        // Made here rather than by SQLite so that it gets mode 0600 (its
        // journal copies the mode). No O_TRUNC: an existing file is kept as is.
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return ERROR_ACCESS_DENIED;
        close(fd);
        const int code = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        if (code != SQLITE_OK)
            return ErrorFromSqlite(code);
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        if (LONG sound = CheckSound(); sound != ERROR_SUCCESS)
            return sound;
        // IMMEDIATE takes the write lock at once, so two writers queue on the
        // busy timeout instead of failing when one upgrades from reading.
        if (int begin = Exec("BEGIN IMMEDIATE"); begin != SQLITE_OK)
            return ErrorFromSqlite(begin);
        inTransaction_ = true;
        if (HasSchema())
            return ERROR_SUCCESS;
        if (TableCount() != 0)
            return ERROR_BADDB;
        const int made = Exec(
            "CREATE TABLE reg_keys(root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
            " PRIMARY KEY(root, path));"
            "CREATE TABLE reg_values(root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
            " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
            " PRIMARY KEY(root, path, name));"
            "PRAGMA application_id = 1114788453;");
        return made == SQLITE_OK ? ERROR_SUCCESS : ErrorFromSqlite(made);
    }

  public:
    LONG Commit() {
        if (borrowed_) {
            // The batch's end commits.
            batchWrite_ = false;
            return ERROR_SUCCESS;
        }
        const int code = Exec("COMMIT");
        if (code != SQLITE_OK)
            return ErrorFromSqlite(code);
        inTransaction_ = false;
        return ERROR_SUCCESS;
    }

    sqlite3* Db() const { return db_; }

    bool KeyExists(const OpenKey& key) {
        if (key.path.empty())
            return true;
        Statement query(db_, "SELECT 1 FROM reg_keys WHERE root = ?1 AND path = ?2");
        query.Bind(1, key.root).Bind(2, key.path);
        return query.Step() == SQLITE_ROW;
    }

    // Adds the key and every key above it.
    LONG AddKey(const OpenKey& key) {
        std::size_t end = 0;
        while (end != std::string::npos && !key.path.empty()) {
            end = key.path.find('\\', end + 1);
            Statement insert(db_, "INSERT OR IGNORE INTO reg_keys(root, path) VALUES(?1, ?2)");
            insert.Bind(1, key.root).Bind(2, std::string_view(key.path).substr(0, end));
            if (int code = insert.Step(); code != SQLITE_DONE)
                return ErrorFromSqlite(code);
        }
        return ERROR_SUCCESS;
    }

  private:
    static std::optional<std::string> DatabasePath() {
        const auto home = ConfigHome();
        if (!home)
            return std::nullopt;
        return *home + "/brisendale/registry.sqlite3";
    }

    int Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

    // A file that is not a database, or a damaged one, is never written to.
    LONG CheckSound() {
        Statement check(db_, "PRAGMA quick_check");
        if (!check.Ok())
            return ErrorFromSqlite(sqlite3_errcode(db_));
        const int code = check.Step();
        if (code != SQLITE_ROW)
            return ErrorFromSqlite(code);
        if (check.Text(0) != "ok")
            return ERROR_BADDB;
        Statement id(db_, "PRAGMA application_id");
        if (id.Step() != SQLITE_ROW)
            return ERROR_BADDB;
        if (id.Int(0) != kApplicationId && TableCount() != 0)
            return ERROR_BADDB;
        return ERROR_SUCCESS;
    }

    std::int64_t TableCount() {
        Statement count(db_, "SELECT count(*) FROM sqlite_master");
        return count.Step() == SQLITE_ROW ? count.Int(0) : -1;
    }

    bool HasSchema() {
        Statement count(db_,
                        "SELECT count(*) FROM sqlite_master WHERE type = 'table'"
                        " AND name IN ('reg_keys', 'reg_values')");
        return count.Step() == SQLITE_ROW && count.Int(0) == 2;
    }

    sqlite3* db_ = nullptr;
    bool inTransaction_ = false;
    // On a batch's connection: not ours to close, and held only while the
    // batch's lock is.
    bool borrowed_ = false;
    bool batchWrite_ = false;
    std::unique_lock<std::recursive_mutex> batchLock_;
};

// ---------------------------------------------------------------- autostart

std::optional<std::string> AutostartFolder() {
    const auto home = ConfigHome();
    if (!home)
        return std::nullopt;
    return *home + "/autostart";
}

bool IsValidRunName(std::string_view name) {
    if (name.empty() || name.size() > 200)
        return false;
    for (char c : name) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return brisendale::DesktopEntry::IsStorableText(name);
}

std::vector<std::string> DesktopFileNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view file = entry->d_name;
        constexpr std::string_view kSuffix = ".desktop";
        if (file.size() > kSuffix.size() && file.substr(file.size() - kSuffix.size()) == kSuffix) {
            names.emplace_back(file.substr(0, file.size() - kSuffix.size()));
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return Lower(a) < Lower(b) || (Lower(a) == Lower(b) && a < b);
    });
    return names;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxDesktopFileSize) {
        std::string buffer(static_cast<std::size_t>(kMaxDesktopFileSize) + 1, '\0');
        std::size_t used = 0;
        ssize_t got = 0;
        while ((got = read(fd, buffer.data() + used, buffer.size() - used)) > 0) {
            used += static_cast<std::size_t>(got);
        }
        if (got == 0 && used <= static_cast<std::size_t>(kMaxDesktopFileSize)) {
            buffer.resize(used);
            text = std::move(buffer);
        }
    }
    close(fd);
    return text;
}

struct RunEntry {
    std::string fileName;  // without ".desktop", in the case found on disk
    std::string exec;
};

// The entry for value `name`: the file of exactly that name if it holds a
// value, else the first whose name matches without regard to case.
std::optional<RunEntry> FindRunEntry(std::string_view name) {
    const auto folder = AutostartFolder();
    if (!folder || !IsValidRunName(name))
        return std::nullopt;
    auto readEntry = [&](const std::string& fileName) -> std::optional<RunEntry> {
        const auto text = ReadSmallFile(*folder + "/" + fileName + ".desktop");
        if (!text)
            return std::nullopt;
        auto exec = brisendale::DesktopEntry::ReadExec(*text);
        if (!exec)
            return std::nullopt;
        return RunEntry{fileName, std::move(*exec)};
    };
    if (auto exact = readEntry(std::string(name)))
        return exact;
    for (const std::string& fileName : DesktopFileNames(*folder)) {
        if (fileName != name && EqualNoCase(fileName, name)) {
            if (auto entry = readEntry(fileName))
                return entry;
        }
    }
    return std::nullopt;
}

LONG WriteRunEntry(std::string_view name, std::string_view exec) {
    const auto folder = AutostartFolder();
    if (!folder || !MakeFolders(*folder))
        return ERROR_ACCESS_DENIED;
    const auto existing = FindRunEntry(name);
    const std::string fileName = existing ? existing->fileName : std::string(name);
    const std::string target = *folder + "/" + fileName + ".desktop";
    std::string temporary = *folder + "/.brisendale-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return ERROR_ACCESS_DENIED;
    const std::string text = brisendale::DesktopEntry::Format(name, exec);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n <= 0 && errno != EINTR)
            break;
        if (n > 0)
            written += static_cast<std::size_t>(n);
    }
    // The rename makes the entry appear whole or not at all, so a session
    // starting meanwhile never reads half a file.
    const bool ok = written == text.size() && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!ok || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------- values

struct Value {
    DWORD type;
    std::string data;
};

// Hands a value over the way RegQueryValueExA does.
LONG Report(const Value& value, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpType != nullptr)
        *lpType = value.type;
    const auto size = static_cast<DWORD>(value.data.size());
    if (lpData != nullptr) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size != 0)
            std::memcpy(lpData, value.data.data(), size);
    }
    if (lpcbData != nullptr)
        *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG ReadValue(const OpenKey& key, std::string_view name, Value& value) {
    if (IsRunKey(key)) {
        auto entry = FindRunEntry(name);
        if (!entry)
            return ERROR_FILE_NOT_FOUND;
        value = Value{REG_SZ, std::move(entry->exec)};
        return ERROR_SUCCESS;
    }
    Store store;
    if (LONG opened = store.OpenForReading(); opened != ERROR_SUCCESS)
        return opened;
    Statement query(store.Db(),
                    "SELECT type, data FROM reg_values WHERE root = ?1 AND path = ?2"
                    " AND name = ?3");
    query.Bind(1, key.root).Bind(2, key.path).Bind(3, name);
    const int code = query.Step();
    if (code == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (code != SQLITE_ROW)
        return ErrorFromSqlite(code);
    value = Value{static_cast<DWORD>(query.Int(0)), query.Text(1)};
    return ERROR_SUCCESS;
}

// All values of a key with their names, in name order.
LONG ListValues(const OpenKey& key, std::vector<std::pair<std::string, Value>>& values) {
    values.clear();
    if (IsRunKey(key)) {
        const auto folder = AutostartFolder();
        if (!folder)
            return ERROR_SUCCESS;
        for (const std::string& fileName : DesktopFileNames(*folder)) {
            if (!IsValidRunName(fileName))
                continue;
            if (auto entry = FindRunEntry(fileName); entry && entry->fileName == fileName) {
                values.emplace_back(fileName, Value{REG_SZ, std::move(entry->exec)});
            }
        }
        return ERROR_SUCCESS;
    }
    Store store;
    const LONG opened = store.OpenForReading();
    if (opened == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (opened != ERROR_SUCCESS)
        return opened;
    Statement query(store.Db(),
                    "SELECT name, type, data FROM reg_values WHERE root = ?1 AND path = ?2"
                    " ORDER BY name");
    query.Bind(1, key.root).Bind(2, key.path);
    while (query.Step() == SQLITE_ROW) {
        values.emplace_back(query.Text(0), Value{static_cast<DWORD>(query.Int(1)), query.Text(2)});
    }
    return ERROR_SUCCESS;
}

LONG ListSubKeys(const OpenKey& key, std::vector<std::string>& names) {
    names.clear();
    const std::string prefix = key.path.empty() ? "" : Lower(key.path) + "\\";
    auto addChild = [&](std::string_view fullPath) {
        if (Lower(fullPath.substr(0, prefix.size())) != prefix)
            return;
        const std::string_view rest = fullPath.substr(prefix.size());
        if (rest.empty() || rest.find('\\') != std::string_view::npos)
            return;
        for (const std::string& known : names) {
            if (EqualNoCase(known, rest))
                return;
        }
        names.emplace_back(rest);
    };
    if (IsOnRunPath(key) && !IsRunKey(key)) {
        // Spelled as Windows spells it, for listings.
        const std::string_view runPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
        const std::size_t end = runPath.find('\\', prefix.size());
        addChild(runPath.substr(0, end));
    }
    Store store;
    const LONG opened = store.OpenForReading();
    if (opened == ERROR_SUCCESS) {
        Statement query(store.Db(), "SELECT path FROM reg_keys WHERE root = ?1");
        query.Bind(1, key.root);
        while (query.Step() == SQLITE_ROW)
            addChild(query.Text(0));
    } else if (opened != ERROR_FILE_NOT_FOUND) {
        return opened;
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    return ERROR_SUCCESS;
}

LONG OpenOrCreate(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult, bool create) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    const auto base = Handles().Find(hKey);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const auto key = Descend(*base, lpSubKey);
    if (!key)
        return ERROR_INVALID_PARAMETER;
    if (!IsOnRunPath(*key)) {
        if (create) {
            Store store;
            if (LONG opened = store.OpenForWriting(); opened != ERROR_SUCCESS)
                return opened;
            if (LONG added = store.AddKey(*key); added != ERROR_SUCCESS)
                return added;
            if (LONG committed = store.Commit(); committed != ERROR_SUCCESS)
                return committed;
        } else if (!key->path.empty()) {
            Store store;
            if (LONG opened = store.OpenForReading(); opened != ERROR_SUCCESS)
                return opened;
            if (!store.KeyExists(*key))
                return ERROR_FILE_NOT_FOUND;
        }
    }
    *phkResult = Handles().Add(*key);
    return ERROR_SUCCESS;
}

std::string_view NameOf(LPCSTR name) {
    return name == nullptr ? "" : name;
}

}  // namespace

extern "C" {

LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, phkResult, false);
}

LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, phkResult, true);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto key = Handles().Find(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    Value value;
    if (LONG read = ReadValue(*key, NameOf(lpValueName), value); read != ERROR_SUCCESS)
        return read;
    return Report(value, lpType, lpData, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                    const BYTE* lpData, DWORD cbData) {
    if ((lpData == nullptr && cbData != 0) || cbData > kMaxDataSize ||
        NameOf(lpValueName).size() > kMaxNameLength) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto key = Handles().Find(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    const std::string_view data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    if (IsRunKey(*key)) {
        if (dwType != REG_SZ || !IsValidRunName(NameOf(lpValueName)) ||
            !brisendale::DesktopEntry::IsStorableText(data)) {
            return ERROR_INVALID_PARAMETER;
        }
        return WriteRunEntry(NameOf(lpValueName), data);
    }
    Store store;
    if (LONG opened = store.OpenForWriting(); opened != ERROR_SUCCESS)
        return opened;
    // The key may have been made by a store since removed; its value must not
    // end up under a key that does not exist.
    if (LONG added = store.AddKey(*key); added != ERROR_SUCCESS)
        return added;
    Statement upsert(store.Db(),
                     "INSERT INTO reg_values(root, path, name, type, data)"
                     " VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(root, path, name)"
                     " DO UPDATE SET type = excluded.type, data = excluded.data");
    upsert.Bind(1, key->root).Bind(2, key->path).Bind(3, NameOf(lpValueName)).Bind(4, dwType);
    upsert.BindBlob(5, lpData, cbData);
    if (int code = upsert.Step(); code != SQLITE_DONE)
        return ErrorFromSqlite(code);
    return store.Commit();
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    const auto key = Handles().Find(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (IsRunKey(*key)) {
        const auto entry = FindRunEntry(NameOf(lpValueName));
        const auto folder = AutostartFolder();
        if (!entry || !folder)
            return ERROR_FILE_NOT_FOUND;
        const std::string path = *folder + "/" + entry->fileName + ".desktop";
        return unlink(path.c_str()) == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }
    {
        // Deleting from a store that does not exist yet must not make one.
        Store probe;
        if (LONG opened = probe.OpenForReading(); opened != ERROR_SUCCESS)
            return opened;
    }
    Store store;
    if (LONG opened = store.OpenForWriting(); opened != ERROR_SUCCESS)
        return opened;
    Statement remove(store.Db(),
                     "DELETE FROM reg_values WHERE root = ?1 AND path = ?2 AND name = ?3");
    remove.Bind(1, key->root).Bind(2, key->path).Bind(3, NameOf(lpValueName));
    if (int code = remove.Step(); code != SQLITE_DONE)
        return ErrorFromSqlite(code);
    if (sqlite3_changes(store.Db()) == 0) {
        store.Unchanged();
        return ERROR_FILE_NOT_FOUND;
    }
    return store.Commit();
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
        (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto key = Handles().Find(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    std::vector<std::pair<std::string, Value>> values;
    if (LONG listed = ListValues(*key, values); listed != ERROR_SUCCESS)
        return listed;
    if (dwIndex >= values.size())
        return ERROR_NO_MORE_ITEMS;
    const auto& [name, value] = values[dwIndex];
    if (*lpcchValueName <= name.size())
        return ERROR_MORE_DATA;
    std::memcpy(lpValueName, name.c_str(), name.size() + 1);
    *lpcchValueName = static_cast<DWORD>(name.size());
    return Report(value, lpType, lpData, lpcbData);
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    if (lpName == nullptr)
        return ERROR_INVALID_PARAMETER;
    const auto key = Handles().Find(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> names;
    if (LONG listed = ListSubKeys(*key, names); listed != ERROR_SUCCESS)
        return listed;
    if (dwIndex >= names.size())
        return ERROR_NO_MORE_ITEMS;
    if (cchName <= names[dwIndex].size())
        return ERROR_MORE_DATA;
    std::memcpy(lpName, names[dwIndex].c_str(), names[dwIndex].size() + 1);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    if (PredefinedRoot(hKey))
        return ERROR_SUCCESS;
    return Handles().Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegBeginBatchPOSIX(void) {
    Batch& batch = CurrentBatch();
    std::lock_guard lock(batch.mutex);
    ++batch.depth;
    return ERROR_SUCCESS;
}

LONG RegEndBatchPOSIX(void) {
    Batch& batch = CurrentBatch();
    std::lock_guard lock(batch.mutex);
    if (batch.depth == 0)
        return ERROR_INVALID_PARAMETER;
    if (--batch.depth > 0)
        return batch.failure;
    LONG result = batch.failure;
    if (batch.db != nullptr) {
        if (sqlite3_get_autocommit(batch.db) != 0) {
            result = ERROR_ACCESS_DENIED;  // SQLite rolled it back after an error
        } else if (int code = sqlite3_exec(batch.db, "COMMIT", nullptr, nullptr, nullptr);
                   code != SQLITE_OK) {
            sqlite3_exec(batch.db, "ROLLBACK", nullptr, nullptr, nullptr);
            result = ErrorFromSqlite(code);
        }
        sqlite3_close(batch.db);
        batch.db = nullptr;
    }
    batch.failure = ERROR_SUCCESS;
    return result;
}

}  // extern "C"
