// The registry API: argument checks, handles and copying results out. The
// keys and values themselves live in registry_tree.
//
// Every call opens the store, does its work in at most one transaction and
// closes it again; a handle is only a remembered key path. So two processes
// never hold the store between calls, and a handle left open holds nothing.
// The one exception is a batch (RegBeginBatchPOSIX): while it is open, the
// calls share its connection and its transaction until it ends.
#include "winreg_posix/winreg_posix.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "winreg_posix/failure_record.h"
#include "winreg_posix/handle_table.h"
#include "winreg_posix/registry_tree.h"
#include "winreg_posix/store_batch.h"

namespace {

using brisendale::winreg::Handles;
using brisendale::winreg::KeyPath;
using brisendale::winreg::Value;

// Far above what the program stores; keeps one bad caller from filling the disk.
constexpr DWORD kMaxDataSize = 1u << 20;
constexpr std::size_t kMaxNameLength = 16383;

std::string_view NameOf(LPCSTR name) {
    return name == nullptr ? "" : name;
}

// Runs `body` on the key of an open handle; ERROR_INVALID_HANDLE without one.
template <typename Body>
LONG WithKey(HKEY hKey, Body body) {
    const auto key = Handles().Find(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    return body(*key);
}

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

// Copies `text`, cut to fit, with its NUL into a buffer of `capacity`
// characters; nothing into a null or empty buffer.
void CopyCut(const std::string& text, LPSTR buffer, DWORD capacity) {
    if (buffer == nullptr || capacity == 0)
        return;
    const std::size_t size = std::min<std::size_t>(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), size);
    buffer[size] = '\0';
}

// Copies a listed name with its NUL into a buffer of `capacity` characters.
LONG CopyName(const std::string& name, LPSTR buffer, DWORD capacity) {
    if (capacity <= name.size())
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return ERROR_SUCCESS;
}

LONG OpenOrCreate(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult, bool create) {
    brisendale::winreg::ForgetFailure();
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    return WithKey(hKey, [&](const KeyPath& base) -> LONG {
        const auto key = brisendale::winreg::Descend(base, lpSubKey);
        if (!key)
            return ERROR_INVALID_PARAMETER;
        if (LONG found = brisendale::winreg::FindOrCreateKey(*key, create); found != ERROR_SUCCESS)
            return found;
        *phkResult = Handles().Add(*key);
        return ERROR_SUCCESS;
    });
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
    brisendale::winreg::ForgetFailure();
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(hKey, [&](const KeyPath& key) -> LONG {
        Value value;
        const LONG read = brisendale::winreg::ReadValue(key, NameOf(lpValueName), value);
        return read == ERROR_SUCCESS ? Report(value, lpType, lpData, lpcbData) : read;
    });
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                    const BYTE* lpData, DWORD cbData) {
    brisendale::winreg::ForgetFailure();
    if ((lpData == nullptr && cbData != 0) || cbData > kMaxDataSize ||
        NameOf(lpValueName).size() > kMaxNameLength) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(hKey, [&](const KeyPath& key) -> LONG {
        const std::string_view data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
        return brisendale::winreg::WriteValue(key, NameOf(lpValueName), dwType, data);
    });
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    brisendale::winreg::ForgetFailure();
    return WithKey(hKey, [&](const KeyPath& key) -> LONG {
        return brisendale::winreg::DeleteValue(key, NameOf(lpValueName));
    });
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    brisendale::winreg::ForgetFailure();
    if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
        (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(hKey, [&](const KeyPath& key) -> LONG {
        brisendale::winreg::NamedValues values;
        if (LONG listed = brisendale::winreg::ListValues(key, values); listed != ERROR_SUCCESS)
            return listed;
        if (dwIndex >= values.size())
            return ERROR_NO_MORE_ITEMS;
        const auto& [name, value] = values[dwIndex];
        if (LONG copied = CopyName(name, lpValueName, *lpcchValueName); copied != ERROR_SUCCESS)
            return copied;
        *lpcchValueName = static_cast<DWORD>(name.size());
        return Report(value, lpType, lpData, lpcbData);
    });
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    brisendale::winreg::ForgetFailure();
    if (lpName == nullptr)
        return ERROR_INVALID_PARAMETER;
    return WithKey(hKey, [&](const KeyPath& key) -> LONG {
        std::vector<std::string> names;
        if (LONG listed = brisendale::winreg::ListSubKeys(key, names); listed != ERROR_SUCCESS)
            return listed;
        if (dwIndex >= names.size())
            return ERROR_NO_MORE_ITEMS;
        return CopyName(names[dwIndex], lpName, cchName);
    });
}

LONG RegCloseKey(HKEY hKey) {
    if (brisendale::winreg::PredefinedRoot(hKey))
        return ERROR_SUCCESS;
    return Handles().Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegBeginBatchPOSIX(void) {
    brisendale::winreg::ForgetFailure();
    return brisendale::winreg::BeginBatch();
}

LONG RegEndBatchPOSIX(void) {
    brisendale::winreg::ForgetFailure();
    return brisendale::winreg::EndBatch();
}

LONG RegGetLastFailurePOSIX(LPSTR lpFile, DWORD cchFile, LPSTR lpReason, DWORD cchReason) {
    const brisendale::winreg::Failure& failure = brisendale::winreg::LastFailure();
    CopyCut(failure.file, lpFile, cchFile);
    CopyCut(failure.reason, lpReason, cchReason);
    return failure.finer;
}

}  // extern "C"
