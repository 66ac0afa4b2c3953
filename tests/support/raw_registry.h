// One value read or written through the registry API itself, beneath the
// settings routines: how a test puts any value in place or sees what is stored.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry_api.h"

namespace brisendale::testing {

struct RawValue {
    LONG result;
    std::string data;
};

// Stores value `name` (null: the default value) of HKLM\`path`, making the
// key first; the first failure or ERROR_SUCCESS.
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

// Value `name` of HKLM\`path`, asked for its size first, then read whole.
inline RawValue ReadRaw(const std::string& path, const char* name) {
    RawValue value{0, {}};
    HKEY key = nullptr;
    if ((value.result = RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key)) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    value.result = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    value.data.resize(size);
    if (value.result == ERROR_SUCCESS) {
        value.result = RegQueryValueExA(key, name, nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(value.data.data()), &size);
    }
    RegCloseKey(key);
    return value;
}

// The four little-endian bytes of a REG_DWORD.
inline std::string DwordBytes(std::uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

}  // namespace brisendale::testing
