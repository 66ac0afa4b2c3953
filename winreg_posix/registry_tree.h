// Keys and values wherever they live: the Run key's values in the autostart
// folder, everything else in the store. Arguments are checked by the caller.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "winreg_posix/key_path.h"
#include "winreg_posix/registry_value.h"
#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

// ERROR_SUCCESS when `key` exists, making it and every key above it first
// when `create` is set.
LONG FindOrCreateKey(const KeyPath& key, bool create);

LONG ReadValue(const KeyPath& key, std::string_view name, Value& value);

// All values of a key with their names, in name order.
LONG ListValues(const KeyPath& key, NamedValues& values);

// The names of a key's sub-keys, in name order.
LONG ListSubKeys(const KeyPath& key, std::vector<std::string>& names);

LONG WriteValue(const KeyPath& key, std::string_view name, DWORD type, std::string_view data);

LONG DeleteValue(const KeyPath& key, std::string_view name);

}  // namespace brisendale::winreg
