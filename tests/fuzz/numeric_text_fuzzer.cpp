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

// Whether `text` (without blanks) holds only what a plain decimal number is
// made of, so that strtod, which reads the same grammar, can serve as the
// reference. strtod knows more (hexadecimal, "inf", "nan", leading blanks of
// other kinds), so anything else is left out.
bool IsPlainDecimalText(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
            return false;
    }
    return true;
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

    if (IsPlainDecimalText(packed)) {
        const double expected = std::strtod(packed.c_str(), nullptr);
        Require(value == expected);
    }

    Require(brisendale::RoundToInt32(value) == ExpectedRounding(value));
    return 0;
}
