#include "settings/logon_command.h"

#include "platform/registry/registry_api.h"

#include <climits>

namespace brisendale {
namespace {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX)
        return std::wstring();
    const int size = static_cast<int>(utf8.size());
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (wideSize <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), wideSize);
    return wide;
}

// Lower case as Windows itself folds letters, for any letter of the folder,
// not only A to Z.
std::string LowerCase(std::string_view utf8) {
    const std::wstring wide = Wide(utf8);
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
    const int outSize =
        WideCharToMultiByte(CP_UTF8, 0, lower.data(), lowerSize, nullptr, 0, nullptr, nullptr);
    if (outSize <= 0)
        return std::string(utf8);
    std::string out(static_cast<std::size_t>(outSize), '\0');
    WideCharToMultiByte(CP_UTF8, 0, lower.data(), lowerSize, out.data(), outSize, nullptr, nullptr);
    return out;
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

void WriteLogonCommand(const std::string& path, const std::string& valueName,
                       const std::string& commandLine) {
    const std::wstring data = Wide(commandLine);
    if (data.size() * sizeof(wchar_t) > MAXDWORD)
        return;
    HKEY key = nullptr;
    if (RegCreateKeyW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), &key) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, Wide(valueName).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    RegCloseKey(key);
}

}  // namespace brisendale
