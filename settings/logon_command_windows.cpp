#include "settings/logon_command.h"

#include "platform/registry/registry_api.h"
#include "platform/runtime/wide_text_windows.h"

#include <climits>

namespace brisendale {
namespace {

// Lower case as Windows itself folds letters, for any letter of the folder,
// not only A to Z.
std::string LowerCase(std::string_view utf8) {
    const std::wstring wide = ToWide(utf8, CP_UTF8);
    if (wide.empty() || wide.size() > INT_MAX)
        return std::string(utf8);
    const int wideSize = static_cast<int>(wide.size());
    const int lowerSize =
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, wide.data(), wideSize, nullptr, 0);
    if (lowerSize <= 0)
        return std::string(utf8);
    std::wstring lower(static_cast<std::size_t>(lowerSize), L'\0');
    LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, wide.data(), wideSize, lower.data(),
                 lowerSize);
    const std::string out = FromWide(lower, CP_UTF8);
    return out.empty() ? std::string(utf8) : out;
}

}  // namespace

std::string LogonCommandLine(std::string_view appFolder, std::string_view exeName) {
    std::string folder(appFolder);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    std::string line = "\"";
    line += LowerCase(folder);
    line += exeName;
    line += ".exe\" -startup";
    return line;
}

// Windows names every folder in UTF-16, which UTF-8 carries whole.
std::optional<std::string> ProgramPathUnfitForLogon(std::string_view, std::string_view) {
    return std::nullopt;
}

LONG WriteLogonCommand(const std::string& path, const std::string& valueName,
                       const std::string& commandLine) {
    const std::wstring data = ToWide(commandLine, CP_UTF8);
    if (data.size() * sizeof(wchar_t) > MAXDWORD)
        return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    const LONG created = RegCreateKeyW(HKEY_LOCAL_MACHINE, ToWide(path, CP_UTF8).c_str(), &key);
    if (created != ERROR_SUCCESS)
        return created;
    const LONG result = RegSetValueExW(key, ToWide(valueName, CP_UTF8).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.data()),
                                       static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    return result;
}

}  // namespace brisendale
