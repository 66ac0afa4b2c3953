// A key as the calls name it: a predefined root and the path below it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

struct KeyPath {
    std::uint32_t root;
    std::string path;  // from the root, components joined by backslashes; "" is the root
};

// The key below `base` named by `subKey`, or nothing when the path is not a
// valid one (empty components, over-long names).
std::optional<KeyPath> Descend(const KeyPath& base, LPCSTR subKey);

// Whether `key` is HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run,
// whose values are autostart entries rather than store data.
bool IsRunKey(const KeyPath& key);

// The Run key and the keys above it exist on every Windows machine; here they
// exist whether or not the store does.
bool IsOnRunPath(const KeyPath& key);

// The Run key's path spelled as Windows spells it, for listings.
inline constexpr std::string_view kRunPathSpelled =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace brisendale::winreg
