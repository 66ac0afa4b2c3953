// The settings kept between runs and the logon entry.
//
// Settings: HKEY_LOCAL_MACHINE\Software\Quorvel\, REG_DWORD values
// ServerIndex, GMTIndex and Delay. Logon entry: the REG_SZ value "Quorvel"
// under HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run\,
// holding the command line that starts the program with "-startup".
//
// A store that is missing, or a value that is, means the defaults. A store
// that exists but cannot be read is a problem the caller shows; so is every
// write that fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_problem.h"

namespace brisendale {

struct LoadedSettings {
    // Each value has its own range and default, judged on its own read alone:
    // a value that is missing or out of range never costs the others theirs.
    std::int16_t serverIndex;  // row of the time server table, 0 to 11; otherwise 0
    // Position in the zone list, 0 to 24 (offset in hours = zone index - 12).
    // When none is stored, the caller's choice; out of range or unusable, 7
    // (five hours behind Greenwich).
    std::int16_t zoneIndex;
    std::int32_t delay;  // delay of the unattended run in one-second ticks, 1 to 9999; otherwise 2
    // Whether the logon entry holds a non-empty text; its content is not
    // examined. An entry that cannot be read counts as absent.
    bool logonEntryExists;
    // Set when the store exists but cannot be read (damaged, not a database,
    // not readable, kept locked): the three values are then their defaults,
    // and the store must not be written over (see SettingsToSave).
    std::optional<SettingsProblem> unreadableStore;
};

// `zoneWhenNoneStored`: the zone index to use when no GMTIndex is stored
// (a first start); one outside 0 to 24 counts as 7.
LoadedSettings LoadSettings(std::int16_t zoneWhenNoneStored);

struct SettingsToSave {
    std::int16_t serverIndex;  // the server list's selected row
    std::int16_t zoneIndex;    // the zone list's selected row
    std::string delayText;  // the delay field's text; numeric value, rounded half-even, saturated
    bool syncAtLogon;       // the logon box is ticked: write the logon entry, else delete it
    // Folder holding the executable and its name (Windows: without the
    // extension), as the system names them: elsewhere than on Windows the
    // bytes of the path, which need not be UTF-8.
    std::string appFolder;
    std::string exeName;
    // LoadSettings found the store unreadable: its three values are not
    // written (that would replace what it holds with defaults), and that
    // problem, shown at start, is not reported again.
    bool storeUnreadable = false;
};

// Writes ServerIndex, GMTIndex and Delay together, whether or not they
// changed, then writes the logon entry when the box is ticked and deletes it
// otherwise; the entry is saved even when the values
// could not be. Returns the problems to show, at most one for the values and
// one for the entry; none when all went well.
std::vector<SettingsProblem> SaveSettings(const SettingsToSave& settings);

// Older single reads, each as LoadSettings gives it (the zone 7 when none is
// stored); for callers not yet told about problems.
std::int16_t ReadServerIndex();
std::int16_t ReadZoneIndex();
std::int32_t ReadDelay();
bool ReadLogonEntryExists();

}  // namespace brisendale
