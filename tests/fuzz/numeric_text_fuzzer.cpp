// The numeric reading of any bytes, as the delay field and a server's hour
// field reach it, held to the C library.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "platform/runtime/numeric_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = brisendale::NumericValue(text);
    Require(!std::isnan(value));
    // Blanks, tabs and line feeds are ignored wherever they stand.
    std::string packed = text;
    std::erase_if(packed, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
    Require(brisendale::NumericValue(packed) == value);
    // Apart from "&H" and "&O", strtod reads the same grammar, out of range included.
    const std::string number = packed.substr(0, packed.find_first_not_of("0123456789+-.eE"));
    Require(packed.starts_with('&') || value == std::strtod(number.c_str(), nullptr));
    // Half to even, saturated.
    const double rounded = std::clamp(std::nearbyint(value), -2147483648.0, 2147483647.0);
    Require(brisendale::RoundToInt32(value) == static_cast<std::int32_t>(rounded));
    return 0;
}
