// The settings kept between runs and the logon entry.
//
// Settings: HKEY_LOCAL_MACHINE\Software\Quorvel\, REG_DWORD values
// ServerIndex, GMTIndex and Delay. Logon entry: the REG_SZ value "Quorvel"
// under HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run\,
// holding the command line that starts the program with "-startup".
// Nothing here reports a failure: a read that fails gives the default, and a
// write the store refuses leaves the earlier values for the next start.
#pragma once

#include <cstdint>
#include <string>

namespace brisendale {

// Each read applies its own range and default, judged on its own read alone:
// a value that is missing or out of range never costs the others theirs.

// Row of the time server table, 0 to 11; otherwise 0.
std::int16_t ReadServerIndex();

// Position in the zone list, 0 to 24 (offset in hours = zone index - 12);
// otherwise 7, five hours behind Greenwich.
std::int16_t ReadZoneIndex();

// Delay of the unattended run in one-second ticks, 1 to 9999; otherwise 2.
std::int32_t ReadDelay();

// Whether the logon entry holds a non-empty text. Its content is not
// examined: any non-empty text counts.
bool ReadLogonEntryExists();

struct SettingsToSave {
    std::int16_t serverIndex;  // the server list's selected row
    std::int16_t zoneIndex;    // the zone list's selected row
    std::string delayText;  // the delay field's text; numeric value, rounded half-even, saturated
    int startupCheckValue;  // the logon box: 0 unchecked, 1 checked, 2 grayed
    std::string appFolder;  // folder holding the executable (native form)
    std::string exeName;    // executable's name (Windows: without extension)
};

// Writes ServerIndex, GMTIndex and Delay, in that order and whether or not
// they changed, then writes the logon entry when the box is checked (1) and
// deletes it otherwise (0 or 2).
void SaveSettings(const SettingsToSave& settings);

}  // namespace brisendale
