#include "settings/settings_location.h"

#include "winreg_posix/store_location.h"

namespace brisendale {

std::string DescribeSettingsLocation() {
    const auto store = winreg::FindStoreLocation();
    const auto autostart = winreg::AutostartFolder();
    if (!store || !autostart) {
        return "The settings have no place here: " + std::string(winreg::kNoConfigHome) + ".\n";
    }
    return "Settings: " + store->file + "\nLogon entry: " + *autostart + "/Quorvel.desktop\n";
}

}  // namespace brisendale
