#include "winreg_posix/key_path.h"

#include "platform/runtime/ascii_case.h"

namespace brisendale::winreg {
namespace {

constexpr std::uint32_t kHklm = 0x80000002u;
constexpr std::string_view kRunPath = "software\\microsoft\\windows\\currentversion\\run";
constexpr std::size_t kMaxComponentLength = 255;

}  // namespace

std::optional<KeyPath> Descend(const KeyPath& base, LPCSTR subKey) {
    std::string_view rest = subKey == nullptr ? "" : subKey;
    while (!rest.empty() && rest.back() == '\\')
        rest.remove_suffix(1);
    KeyPath key = base;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        if (part.empty() || part.size() > kMaxComponentLength)
            return std::nullopt;
        if (!key.path.empty())
            key.path += '\\';
        key.path += part;
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
    }
    return key;
}

bool IsRunKey(const KeyPath& key) {
    return key.root == kHklm && AsciiLower(key.path) == kRunPath;
}

bool IsOnRunPath(const KeyPath& key) {
    if (key.root != kHklm)
        return false;
    const std::string lower = AsciiLower(key.path);
    return lower.empty() || lower == kRunPath ||
           (kRunPath.substr(0, lower.size()) == lower && kRunPath[lower.size()] == '\\');
}

}  // namespace brisendale::winreg
