// The command line that the system runs at logon to start the program for
// its unattended run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry_api.h"

namespace brisendale {

// The executable in `appFolder` (native form, as the platform reports it)
// named `exeName` (on Windows without its extension), quoted, followed by
// " -startup".
//
// Windows: "c:\apps\clock\ClockSet.exe" -startup. The folder and the one
// backslash added after it (none after a root such as C:\) are lower-cased,
// the name keeps its case, and the extension is always ".exe".
//
// Elsewhere: the absolute path exactly as it is (paths are case-sensitive,
// and the file name is whole: brisendale-1.0 keeps its ".0"), inside double
// quotes with the escapes that the Exec key of a desktop entry needs:
// "/opt/My Apps/brisendale" -startup.
std::string LogonCommandLine(std::string_view appFolder, std::string_view exeName);

// The program's path as text for a message when a logon entry cannot name
// it; nothing when it can. Elsewhere than on Windows the entry is a desktop
// file, which holds UTF-8 text only, so a path that is not UTF-8 (normal
// under a Latin-1 locale) cannot be written there; its stray bytes are shown
// as U+FFFD.
std::optional<std::string> ProgramPathUnfitForLogon(std::string_view appFolder,
                                                    std::string_view exeName);

// Stores `commandLine` as the REG_SZ value `valueName` of key `path` under
// HKEY_LOCAL_MACHINE, without a terminating NUL, creating the key when needed.
// ERROR_SUCCESS, or the result of the call that failed (the caller explains it
// at once). On Windows this one value goes through the wide entry point: the
// ANSI one turns every character outside the code page into "?", and an
// entry naming such a folder would never start the program.
LONG WriteLogonCommand(const std::string& path, const std::string& valueName,
                       const std::string& commandLine);

}  // namespace brisendale
