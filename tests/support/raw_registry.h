// A value read or written straight through the registry API, and the store kept busy.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry_api.h"
#ifndef _WIN32
#include <sqlite3.h>

#include <chrono>
#include <memory>

#include "winreg_posix/sqlite_store.h"
#endif

namespace brisendale::testing {

// Stores value `name` (null: the default) of HKLM\`path`, making the key.
inline LONG StoreRaw(const std::string& path, const char* name, DWORD type,
                     const std::string& data) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key);
    if (result == ERROR_SUCCESS)
        result = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return result;
}

// What ReadRaw gives when reading fails with `code`.
inline std::string Failed(LONG code) {
    return "error " + std::to_string(code);
}

// The data of value `name` of HKLM\`path`, or Failed(result).
inline std::string ReadRaw(const std::string& path, const char* name) {
    std::string data(4096, '\0');
    DWORD size = 4096;
    HKEY key = nullptr;
    LONG result = RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key);
    if (result == ERROR_SUCCESS)
        result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                                  &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? data.substr(0, size) : Failed(result);
}

inline std::string DwordBytes(std::uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

#ifndef _WIN32
// The store's write lock held until it goes, as by a second saver; waits are cut to 50 ms.
using StoreLock = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;
inline StoreLock LockStore(const std::string& storeFile) {
    winreg::SetBusyTimeout(std::chrono::milliseconds(50));
    sqlite3* db = nullptr;
    sqlite3_open(storeFile.c_str(), &db);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    return {db, &sqlite3_close};
}
#endif

}  // namespace brisendale::testing
