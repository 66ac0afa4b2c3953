// The values of the Run key as XDG autostart entries: the REG_SZ value NAME
// is the file NAME.desktop in the autostart folder, whose Exec key holds the
// text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "winreg_posix/registry_value.h"
#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

// Whether `name` can be a file name in the autostart folder and a desktop
// file's Name.
bool IsValidRunName(std::string_view name);

// The Exec text of the entry for `name`, or nothing when there is none.
std::optional<std::string> ReadRunEntry(std::string_view name);

// Every entry that is a value, in name order.
NamedValues ListRunEntries();

// Writes the entry, keeping the file name of an existing one whose name
// differs only in case. The caller checks that both texts can be stored.
LONG WriteRunEntry(std::string_view name, std::string_view exec);

LONG DeleteRunEntry(std::string_view name);

}  // namespace brisendale::winreg
