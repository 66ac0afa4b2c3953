// A settings store or logon entry that could not be read or written, as a
// value, and the one wording the user is shown for it (in a message box by
// the window, on standard error by the logon run).
#pragma once

#include <string>

namespace brisendale {

enum class SettingsProblemKind {
    kUnreadable,          // at load: the store exists but cannot be read
    kReadOnly,            // at save: the file or its folder may not be written
    kBusy,                // at save: another program kept the store locked past the wait
    kProgramPathNotUtf8,  // at save: a logon entry cannot name the program's path
    kWriteFailed,         // at save: any other failure to write
};

struct SettingsProblem {
    SettingsProblemKind kind;
    // The file concerned: the store, the logon entry's file, on Windows the
    // registry key (HKEY_LOCAL_MACHINE\Software\Quorvel); for
    // kProgramPathNotUtf8 the program's path, its stray bytes shown as U+FFFD.
    std::string file;
    std::string reason;       // the system's words; may be empty
    bool logonEntry = false;  // the logon entry, not the three values, was not saved

    bool operator==(const SettingsProblem&) const = default;
};

// The whole message for `problem`, one or two sentences.
std::string DescribeSettingsProblem(const SettingsProblem& problem);

// The logon run's reason for ending on an unreadable store: it sets no clock
// from defaults, as the window would show them.
std::string DescribeUnreadableAtLogon(const SettingsProblem& problem);

}  // namespace brisendale
