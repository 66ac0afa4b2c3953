#include "platform/registry/ansi_text.h"

#include "platform/registry/registry_api.h"

#include <climits>

namespace brisendale {
namespace {

// Lengths are passed explicitly (never -1), so embedded NULs survive and no
// terminating NUL is added.
std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX)
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), needed);
    return wide;
}

std::string FromWide(const std::wstring& wide, UINT codePage) {
    if (wide.empty() || wide.size() > INT_MAX)
        return std::string();
    const int size = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), needed, nullptr, nullptr);
    return text;
}

}  // namespace

std::string ToAnsi(std::string_view utf8) {
    return FromWide(ToWide(utf8, CP_UTF8), CP_ACP);
}

std::string FromAnsi(std::string_view ansi) {
    return FromWide(ToWide(ansi, CP_ACP), CP_UTF8);
}

}  // namespace brisendale
