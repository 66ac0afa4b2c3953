#include "settings/logon_command.h"

#include "settings/registry.h"

namespace brisendale {

std::string LogonCommandLine(std::string_view appFolder, std::string_view exeName) {
    std::string path(appFolder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += exeName;

    // Inside a quoted Exec argument a backslash escapes ", `, $ and itself;
    // a literal % must be doubled wherever it stands, or it reads as a field code.
    std::string line = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            line += '\\';
        if (c == '%')
            line += '%';
        line += c;
    }
    line += "\" -startup";
    return line;
}

void WriteLogonCommand(const std::string& path, const std::string& valueName,
                       const std::string& commandLine) {
    Registry::SetStringValue(HKEY_LOCAL_MACHINE, path, valueName, commandLine);
}

}  // namespace brisendale
