// A prepared SQLite statement that finalizes itself, and the registry result
// for an SQLite failure.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "winreg_posix/failure_record.h"
#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

// ERROR_BADDB for a file that is not a sound database, ERROR_ACCESS_DENIED
// for any other failure.
LONG ErrorFromSqlite(int code);

// The failure of `db` (its result `code`) on `file`, as a failure record:
// busy, not to be written, not a sound database, or else.
Failure FailureFromSqlite(sqlite3* db, int code, const std::string& file);

// A statement that failed to prepare binds nothing and steps to SQLITE_ERROR.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return statement_ != nullptr; }
    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& BindBlob(int index, std::string_view bytes);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    std::int64_t Int(int column);
    std::string Text(int column);

  private:
    sqlite3_stmt* statement_ = nullptr;
};

}  // namespace brisendale::winreg
