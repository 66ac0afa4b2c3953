// The running program's own file, for the logon entry that starts it again
// and for advice that names it.
#pragma once

#include <string>

namespace brisendale {

struct ProgramFile {
    // As the system names it: elsewhere than on Windows the bytes of the path,
    // which need not be UTF-8 (a folder named under a Latin-1 locale); on
    // Windows UTF-8.
    std::string path;
    // The folder holding it, in the system's form; a root folder keeps its
    // separator ("/", "C:\").
    std::string folder;
    // Its name for the logon command line: on Windows without its extension,
    // which the command line writes as ".exe" itself; elsewhere the whole
    // file name, since a dot there is part of the name (brisendale-1.0,
    // Brisendale.AppImage).
    std::string name;
};

// The pieces of the executable at `path`.
ProgramFile ProgramFileAt(const std::string& path);

// This process's executable; all empty when the system cannot tell.
ProgramFile ThisProgramFile();

}  // namespace brisendale
