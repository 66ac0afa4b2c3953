#include "platform/runtime/numeric_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/runtime/ascii_digit.h"

namespace brisendale {
namespace {

bool IsIgnoredBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

double ReadRadix(std::string_view digits, int radix) {
    double value = 0.0;
    for (char c : digits) {
        int d = AsciiDigitValue(c);
        if (d >= radix)
            break;
        value = value * radix + d;
    }
    return value;
}

// The longest prefix of `s` in the form [sign] digits [. digits] [e [sign] digits],
// copied without its sign into `number`. Returns whether the mantissa is negative.
bool TakeDecimal(std::string_view s, std::string& number) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    bool anyDigit = false;
    while (i < s.size() && IsAsciiDigit(s[i])) {
        number += s[i++];
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        number += s[i++];
        while (i < s.size() && IsAsciiDigit(s[i])) {
            number += s[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        number.clear();
        return false;
    }
    // An exponent counts only when at least one digit follows it.
    if (i < s.size() && AsciiLower(s[i]) == 'e') {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            exponent += s[j++];
        if (j < s.size() && IsAsciiDigit(s[j])) {
            while (j < s.size() && IsAsciiDigit(s[j]))
                exponent += s[j++];
            number += exponent;
        }
    }
    return negative;
}

}  // namespace

double NumericValue(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (!IsIgnoredBlank(c))
            s += c;
    }

    if (s.size() >= 2 && s[0] == '&') {
        if (AsciiLower(s[1]) == 'h')
            return ReadRadix(std::string_view(s).substr(2), 16);
        if (AsciiLower(s[1]) == 'o')
            return ReadRadix(std::string_view(s).substr(2), 8);
        return 0.0;
    }

    std::string number;
    bool negative = TakeDecimal(s, number);
    if (number.empty())
        return 0.0;
    if (number.front() == '.')
        number.insert(number.begin(), '0');

    double magnitude = 0.0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone; decide between overflow and underflow.
        std::size_t e = number.find('e');
        bool tinyExponent = e != std::string::npos && number[e + 1] == '-';
        magnitude = tinyExponent ? 0.0 : std::numeric_limits<double>::infinity();
    }
    if (magnitude == 0.0)
        return 0.0;  // never a negative zero
    return negative ? -magnitude : magnitude;
}

std::int32_t RoundToInt32(double value) {
    if (std::isnan(value))
        return 0;
    // nearbyint rounds in the default mode, to nearest with ties to even.
    double rounded = std::nearbyint(value);
    if (rounded >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (rounded <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

}  // namespace brisendale
