// Registry key and value names, number prefixes and answers compare without
// regard to case, for the ASCII letters only, as on Windows for the names this
// program uses and whatever the locale says.
#pragma once

#include <string>
#include <string_view>

namespace brisendale {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

}  // namespace brisendale
