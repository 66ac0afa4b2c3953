#include "settings/stored_settings.h"

#include "platform/runtime/numeric_text.h"
#include "settings/logon_command.h"
#include "settings/registry.h"
#include "settings/settings_batch.h"

namespace brisendale {
namespace {

const std::string kSettingsPath = "Software\\Quorvel\\";
const std::string kRunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
const std::string kLogonValueName = "Quorvel";

// The stored value when it was read and lies in [low, high]; `fallback`
// otherwise. Every value gets a fresh flag: with one flag shared across the
// reads, a single missing value would reset the others to their defaults, and
// the next close would write those defaults over the stored settings.
std::int32_t ReadInRange(const char* name, std::int32_t low, std::int32_t high,
                         std::int32_t fallback) {
    std::int16_t failed = 0;
    const std::int32_t value =
        Registry::GetDwordValue(HKEY_LOCAL_MACHINE, kSettingsPath, name, failed);
    if (failed != 0 || value < low || value > high)
        return fallback;
    return value;
}

}  // namespace

std::int16_t ReadServerIndex() {
    return static_cast<std::int16_t>(ReadInRange("ServerIndex", 0, 11, 0));
}

std::int16_t ReadZoneIndex() {
    return static_cast<std::int16_t>(ReadInRange("GMTIndex", 0, 24, 7));
}

std::int32_t ReadDelay() {
    return ReadInRange("Delay", 1, 9999, 2);
}

bool ReadLogonEntryExists() {
    std::int16_t failed = 0;
    return !Registry::GetStringValue(HKEY_LOCAL_MACHINE, kRunPath, kLogonValueName, failed).empty();
}

void SaveSettings(const SettingsToSave& settings) {
    {
        // The three values land together: a second instance saving at the
        // same time, or a kill half-way, must not leave one save's server
        // with another's zone.
        const RegistryBatch batch;
        Registry::SetDwordValue(HKEY_LOCAL_MACHINE, kSettingsPath, "ServerIndex",
                                settings.serverIndex);
        Registry::SetDwordValue(HKEY_LOCAL_MACHINE, kSettingsPath, "GMTIndex", settings.zoneIndex);
        // A pasted "1e10" is beyond 32 bits; it is stored saturated, and the
        // next start's range check turns it into the default.
        Registry::SetDwordValue(HKEY_LOCAL_MACHINE, kSettingsPath, "Delay",
                                RoundToInt32(NumericValue(settings.delayText)));
    }
    if (settings.startupCheckValue == 1) {
        WriteLogonCommand(kRunPath, kLogonValueName,
                          LogonCommandLine(settings.appFolder, settings.exeName));
    } else {
        Registry::DeleteValue(HKEY_LOCAL_MACHINE, kRunPath, kLogonValueName);
    }
}

}  // namespace brisendale
