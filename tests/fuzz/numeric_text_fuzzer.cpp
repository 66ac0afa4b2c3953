// The numeric reading of a text, as the delay field and a server's hour field
// reach it: any bytes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/runtime/numeric_text.h"

namespace {

using brisendale::fuzzing::Require;

bool IsIgnoredBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The leading run of characters that a decimal number is made of. strtod
// reads the same grammar from it and serves as the reference, out of range
// included; what strtod knows beyond (hexadecimal, "inf", "nan", blanks of
// other kinds) never gets into the run.
std::string LeadingDecimalCharacters(const std::string& text) {
    std::size_t end = 0;
    while (end < text.size()) {
        const char c = text[end];
        if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
            break;
        ++end;
    }
    return text.substr(0, end);
}

// The half-to-even rounding with saturation, done with the C library.
std::int32_t ExpectedRounding(double value) {
    if (std::isnan(value))
        return 0;
    if (value <= INT32_MIN)
        return INT32_MIN;
    if (value >= INT32_MAX)
        return INT32_MAX;
    return static_cast<std::int32_t>(std::nearbyint(value));  // default mode: to nearest even
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = brisendale::NumericValue(text);
    Require(!std::isnan(value));

    // Blanks, tabs and line feeds are ignored wherever they stand.
    std::string packed;
    for (char c : text) {
        if (!IsIgnoredBlank(c))
            packed += c;
    }
    const double packedValue = brisendale::NumericValue(packed);
    Require(packedValue == value || (std::isnan(packedValue) && std::isnan(value)));

    // "&H" and "&O" are the runtime's own; every other text is a decimal
    // number followed by anything.
    if (packed.empty() || packed[0] != '&') {
        const double expected = std::strtod(LeadingDecimalCharacters(packed).c_str(), nullptr);
        Require(value == expected);
    }

    Require(brisendale::RoundToInt32(value) == ExpectedRounding(value));
    return 0;
}
