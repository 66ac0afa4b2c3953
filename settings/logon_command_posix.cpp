#include "settings/logon_command.h"

#include "winreg_posix/desktop_entry.h"

namespace brisendale {
namespace {

std::string ProgramPath(std::string_view appFolder, std::string_view exeName) {
    std::string path(appFolder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += exeName;
    return path;
}

}  // namespace

std::string LogonCommandLine(std::string_view appFolder, std::string_view exeName) {
    // Inside a quoted Exec argument a backslash escapes ", `, $ and itself;
    // a literal % must be doubled wherever it stands, or it reads as a field code.
    std::string line = "\"";
    for (char c : ProgramPath(appFolder, exeName)) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            line += '\\';
        if (c == '%')
            line += '%';
        line += c;
    }
    line += "\" -startup";
    return line;
}

std::optional<std::string> ProgramPathUnfitForLogon(std::string_view appFolder,
                                                    std::string_view exeName) {
    const std::string path = ProgramPath(appFolder, exeName);
    if (DesktopEntry::IsUtf8(path))
        return std::nullopt;
    return DesktopEntry::ShownAsUtf8(path);
}

LONG WriteLogonCommand(const std::string& path, const std::string& valueName,
                       const std::string& commandLine) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(commandLine.data()),
                                static_cast<DWORD>(commandLine.size()));
        RegCloseKey(key);
    }
    return result;
}

}  // namespace brisendale
