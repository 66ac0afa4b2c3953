// Registry key and value names compare without regard to case, for the
// ASCII letters only, as on Windows for the names this program uses.
#pragma once

#include <string>
#include <string_view>

namespace brisendale {

inline std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace brisendale
