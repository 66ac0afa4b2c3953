#include "platform/runtime/numeric_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

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

// The power of ten of the first non-zero digit of `number` (digits, an
// optional point and fraction, an optional exponent with digits), so 123 has
// order 2 and 0.05 order -2. Only its sign matters to the caller; the
// exponent saturates far beyond any double's range.
long long DecimalOrder(const std::string& number) {
    const std::size_t e = number.find_first_of("eE");
    const std::string_view mantissa = std::string_view(number).substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        std::size_t i = e + 1;
        const bool negative = number[i] == '-';
        if (number[i] == '+' || number[i] == '-')
            ++i;
        for (; i < number.size(); ++i)
            exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return std::numeric_limits<long long>::min();  // zero has no order; reads as 0
    const long long position = first < point ? static_cast<long long>(point - first) - 1
                                             : -static_cast<long long>(first - point);
    return position + exponent;
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
        // from_chars leaves the value alone; the number's order of magnitude
        // tells overflow from underflow ("0.000...1" is tiny without any
        // exponent, "1000...0e-1" huge with a negative one).
        magnitude = DecimalOrder(number) >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
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
