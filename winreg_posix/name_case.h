// Key and value names compare as on Windows: without regard to the case of
// ASCII letters.
#pragma once

#include <string_view>

#include "platform/runtime/ascii_case.h"

namespace brisendale::winreg {

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return AsciiLower(a) == AsciiLower(b);
}

inline bool LessNoCase(std::string_view a, std::string_view b) {
    return AsciiLower(a) < AsciiLower(b);
}

}  // namespace brisendale::winreg
