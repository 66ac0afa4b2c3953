// Where the data live: under ${XDG_CONFIG_HOME:-$HOME/.config}, read again at
// every call so that a test can point it elsewhere. Nothing when neither
// names an absolute folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brisendale::winreg {

// Why there is no location, for a failure's record.
inline constexpr std::string_view kNoConfigHome =
    "neither XDG_CONFIG_HOME nor HOME names an absolute folder";

struct StoreLocation {
    std::string folder;  // made on the first write
    std::string file;    // the SQLite database inside it
};

std::optional<StoreLocation> FindStoreLocation();

// The XDG autostart folder, which holds the Run key's values.
std::optional<std::string> AutostartFolder();

}  // namespace brisendale::winreg
