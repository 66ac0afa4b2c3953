// A value read or written straight through the registry API, and the store
// kept busy.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry_api.h"
#ifndef _WIN32
#include <sqlite3.h>

#include <chrono>
#include <string_view>

#include "winreg_posix/sqlite_store.h"
#endif

namespace brisendale::testing {

struct RawValue {
    LONG result;
    std::string data;
    DWORD type = 0;
};

// Stores value `name` (null: the default) of HKLM\`path`, making the key.
inline LONG StoreRaw(const std::string& path, const char* name, DWORD type,
                     const std::string& data) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
    return result;
}

inline RawValue ReadRaw(const std::string& path, const char* name) {
    RawValue value{0, std::string(4096, '\0')};
    DWORD size = 4096;
    HKEY key = nullptr;
    if ((value.result = RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key)) == ERROR_SUCCESS) {
        value.result = RegQueryValueExA(key, name, nullptr, &value.type,
                                        reinterpret_cast<BYTE*>(value.data.data()), &size);
        RegCloseKey(key);
    }
    value.data.resize(value.result == ERROR_SUCCESS ? size : 0);
    return value;
}

inline std::string DwordBytes(std::uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

#ifndef _WIN32
// Another connection holds the store's write lock while this lives, as a
// second process saving would, and the store's wait is cut to 50 ms.
class StoreLocked {
  public:
    explicit StoreLocked(std::string_view storeFile) {
        winreg::SetBusyTimeout(std::chrono::milliseconds(50));
        sqlite3_open(std::string(storeFile).c_str(), &db_);
        sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    ~StoreLocked() {
        sqlite3_close(db_);
        winreg::SetBusyTimeout(std::chrono::seconds(10));
    }
    StoreLocked(const StoreLocked&) = delete;
    StoreLocked& operator=(const StoreLocked&) = delete;

  private:
    sqlite3* db_ = nullptr;
};
#endif

}  // namespace brisendale::testing
