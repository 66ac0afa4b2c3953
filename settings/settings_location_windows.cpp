#include "settings/settings_location.h"

namespace brisendale {

std::string DescribeSettingsLocation() {
    return "Settings: HKEY_LOCAL_MACHINE\\Software\\Quorvel\n"
           "Logon entry: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run, "
           "value Quorvel\n";
}

}  // namespace brisendale
