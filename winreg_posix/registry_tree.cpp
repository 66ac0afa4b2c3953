#include "winreg_posix/registry_tree.h"

#include <algorithm>

#include "winreg_posix/autostart_entry.h"
#include "winreg_posix/desktop_entry.h"
#include "winreg_posix/name_case.h"
#include "winreg_posix/sqlite_store.h"

namespace brisendale::winreg {

LONG FindOrCreateKey(const KeyPath& key, bool create) {
    if (IsOnRunPath(key))
        return ERROR_SUCCESS;
    if (create) {
        Store store;
        if (LONG opened = store.OpenForWriting(); opened != ERROR_SUCCESS)
            return opened;
        if (LONG added = store.AddKey(key); added != ERROR_SUCCESS)
            return added;
        return store.Commit();
    }
    if (key.path.empty())
        return ERROR_SUCCESS;
    Store store;
    if (LONG opened = store.OpenForReading(); opened != ERROR_SUCCESS)
        return opened;
    return store.KeyExists(key) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG ReadValue(const KeyPath& key, std::string_view name, Value& value) {
    if (IsRunKey(key)) {
        auto exec = ReadRunEntry(name);
        if (!exec)
            return ERROR_FILE_NOT_FOUND;
        value = Value{REG_SZ, std::move(*exec)};
        return ERROR_SUCCESS;
    }
    Store store;
    if (LONG opened = store.OpenForReading(); opened != ERROR_SUCCESS)
        return opened;
    return store.ReadValue(key, name, value);
}

LONG ListValues(const KeyPath& key, NamedValues& values) {
    values.clear();
    if (IsRunKey(key)) {
        values = ListRunEntries();
        return ERROR_SUCCESS;
    }
    Store store;
    const LONG opened = store.OpenForReading();
    if (opened == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (opened != ERROR_SUCCESS)
        return opened;
    store.ListValues(key, values);
    return ERROR_SUCCESS;
}

LONG ListSubKeys(const KeyPath& key, std::vector<std::string>& names) {
    names.clear();
    const std::string prefix = key.path.empty() ? "" : AsciiLower(key.path) + "\\";
    auto addChild = [&](std::string_view fullPath) {
        if (AsciiLower(fullPath.substr(0, prefix.size())) != prefix)
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
    if (IsOnRunPath(key) && !IsRunKey(key))
        addChild(kRunPathSpelled.substr(0, kRunPathSpelled.find('\\', prefix.size())));
    Store store;
    const LONG opened = store.OpenForReading();
    if (opened == ERROR_SUCCESS) {
        for (const std::string& path : store.KeyPaths(key.root))
            addChild(path);
    } else if (opened != ERROR_FILE_NOT_FOUND) {
        return opened;
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
    return ERROR_SUCCESS;
}

LONG WriteValue(const KeyPath& key, std::string_view name, DWORD type, std::string_view data) {
    if (IsRunKey(key)) {
        if (type != REG_SZ || !IsValidRunName(name) || !DesktopEntry::IsStorableText(data))
            return ERROR_INVALID_PARAMETER;
        return WriteRunEntry(name, data);
    }
    Store store;
    if (LONG opened = store.OpenForWriting(); opened != ERROR_SUCCESS)
        return opened;
    // The key may have been made by a store since removed; its value must not
    // end up under a key that does not exist.
    if (LONG added = store.AddKey(key); added != ERROR_SUCCESS)
        return added;
    if (LONG set = store.SetValue(key, name, type, data); set != ERROR_SUCCESS)
        return set;
    return store.Commit();
}

LONG DeleteValue(const KeyPath& key, std::string_view name) {
    if (IsRunKey(key))
        return DeleteRunEntry(name);
    {
        // Deleting from a store that does not exist yet must not make one.
        Store probe;
        if (LONG opened = probe.OpenForReading(); opened != ERROR_SUCCESS)
            return opened;
    }
    Store store;
    if (LONG opened = store.OpenForWriting(); opened != ERROR_SUCCESS)
        return opened;
    if (LONG deleted = store.DeleteValue(key, name); deleted != ERROR_SUCCESS)
        return deleted;
    return store.Commit();
}

}  // namespace brisendale::winreg
