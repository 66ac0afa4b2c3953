// The keys and values in the SQLite store.
//
// A Store lives for one call: it opens the store, does its work in at most
// one transaction and closes it again, so two processes never hold the store
// between calls. Inside a batch it works on the batch's connection and
// transaction instead.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "winreg_posix/key_path.h"
#include "winreg_posix/registry_value.h"
#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

// How long a call waits for a store that another connection keeps locked
// before it fails as busy: 10 s unless set otherwise (tests shorten it).
void SetBusyTimeout(std::chrono::milliseconds timeout);

// A failed call records why (see failure_record.h) before it returns.
class Store {
  public:
    Store() = default;
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens the existing store for reading. ERROR_FILE_NOT_FOUND when there is
    // none yet, which the callers read as "no such key or value".
    LONG OpenForReading();

    // Opens the store for a write: inside a batch on the batch's connection
    // (made here by the batch's first write), otherwise on a connection of
    // its own with a transaction that Commit ends.
    LONG OpenForWriting();

    LONG Commit();

    bool KeyExists(const KeyPath& key);
    // Adds the key and every key above it.
    LONG AddKey(const KeyPath& key);
    // The paths of every key below `root`.
    std::vector<std::string> KeyPaths(std::uint32_t root);

    LONG ReadValue(const KeyPath& key, std::string_view name, Value& value);
    void ListValues(const KeyPath& key, NamedValues& values);
    // Stores the value, replacing one of any type; the key must exist.
    LONG SetValue(const KeyPath& key, std::string_view name, DWORD type, std::string_view data);
    // ERROR_FILE_NOT_FOUND when there was no such value: a write that changed
    // nothing, which costs a batch nothing.
    LONG DeleteValue(const KeyPath& key, std::string_view name);

  private:
    LONG OpenOwnForReading();
    LONG OpenOwnForWriting();
    int Exec(const char* sql);
    // Records the failure `code` on this store; its registry result.
    LONG Fail(int code);
    // Records and returns ERROR_BADDB for a sound database that is not ours.
    LONG NotOurs();
    LONG CheckSound();
    std::int64_t TableCount();
    bool HasSchema();

    sqlite3* db_ = nullptr;
    std::string file_;
    bool inTransaction_ = false;
    // On a batch's connection: not ours to close, and held only while the
    // batch's lock is.
    bool borrowed_ = false;
    bool batchWrite_ = false;
    std::unique_lock<std::recursive_mutex> batchLock_;
};

}  // namespace brisendale::winreg
