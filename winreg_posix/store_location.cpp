#include "winreg_posix/store_location.h"

#include <cstdlib>

namespace brisendale::winreg {
namespace {

std::optional<std::string> ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg);
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.config";
    return std::nullopt;
}

}  // namespace

std::optional<StoreLocation> FindStoreLocation() {
    const auto home = ConfigHome();
    if (!home)
        return std::nullopt;
    const std::string folder = *home + "/brisendale";
    return StoreLocation{folder, folder + "/registry.sqlite3"};
}

std::optional<std::string> AutostartFolder() {
    const auto home = ConfigHome();
    if (!home)
        return std::nullopt;
    return *home + "/autostart";
}

}  // namespace brisendale::winreg
