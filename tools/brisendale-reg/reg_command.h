// brisendale-reg: reads and changes the stored values from the command line,
// with the syntax of Windows' reg for the cases a user needs:
//
//   brisendale-reg query  KEY [/v NAME | /ve]
//   brisendale-reg add    KEY [(/v NAME | /ve) [/t REG_SZ|REG_DWORD] [/d DATA]] [/f]
//   brisendale-reg delete KEY (/v NAME | /ve) [/f]
//
// KEY is HKLM\path or HKEY_LOCAL_MACHINE\path. Options may start with / or -
// and are case-insensitive. Without /f, overwriting or deleting a value asks
// for a yes on `in` first. /?, -h, --help and help print the usage.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace brisendale {

// Runs one command; `args` are the arguments after the program's name.
// Results go to `out`, messages starting "ERROR:" to `err`. Returns 0 on
// success and 1 on any error or when the user declines.
int RunRegCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                  std::ostream& err);

}  // namespace brisendale
