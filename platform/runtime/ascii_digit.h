// Digits in the texts this program reads: ASCII only, whatever the locale says.
#pragma once

#include "platform/runtime/ascii_case.h"

namespace brisendale {

constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of `c` as a digit of a base up to 16 ('a' to 'f' in either case);
// 99 for any other character, so that `value >= base` rejects it in every base.
constexpr int AsciiDigitValue(char c) {
    if (IsAsciiDigit(c))
        return c - '0';
    const char lower = AsciiLower(c);
    if (lower >= 'a' && lower <= 'f')
        return lower - 'a' + 10;
    return 99;
}

}  // namespace brisendale
