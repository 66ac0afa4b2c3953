#include "winreg_posix/sqlite_statement.h"

#include <cstring>

namespace brisendale::winreg {

LONG ErrorFromSqlite(int code) {
    switch (code & 0xFF) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return ERROR_BADDB;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

Failure FailureFromSqlite(sqlite3* db, int code, const std::string& file) {
    const int systemError = db != nullptr ? sqlite3_system_errno(db) : 0;
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return {ERROR_BUSY, file, sqlite3_errstr(code)};
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return {ERROR_BADDB, file, sqlite3_errstr(code)};
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return {ERROR_ACCESS_DENIED, file,
                    systemError != 0 ? std::strerror(systemError) : sqlite3_errstr(code)};
        default:
            if (systemError != 0)
                return {FinerFromErrno(systemError), file, std::strerror(systemError)};
            return {ERROR_CANT_ACCESS_FILE, file, sqlite3_errstr(code)};
    }
}

Statement::Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
        statement_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement& Statement::Bind(int index, std::int64_t value) {
    if (statement_)
        sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    if (statement_) {
        // A null pointer would bind SQL NULL; the empty text must stay a text.
        sqlite3_bind_text(statement_, index, text.empty() ? "" : text.data(),
                          static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
    // As with text, an empty blob must not become SQL NULL.
    static const char kEmpty = 0;
    if (statement_) {
        sqlite3_bind_blob(statement_, index, bytes.empty() ? &kEmpty : bytes.data(),
                          static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    return *this;
}

int Statement::Step() {
    return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR;
}

std::int64_t Statement::Int(int column) {
    return sqlite3_column_int64(statement_, column);
}

std::string Statement::Text(int column) {
    const auto* bytes = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
}

}  // namespace brisendale::winreg
