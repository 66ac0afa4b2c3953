// The numeric reading of any bytes, as the delay field and a server's hour
// field reach it, held to the C library.
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
    std::string packed;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            packed += c;
    }
    Require(brisendale::NumericValue(packed) == value);
    // Apart from the runtime's own "&H" and "&O", a text is a decimal number
    // followed by anything: strtod reads the same grammar from its leading
    // run of decimal characters, out of range included.
    if (packed.empty() || packed[0] != '&') {
        const std::string number = packed.substr(0, packed.find_first_not_of("0123456789+-.eE"));
        Require(value == std::strtod(number.c_str(), nullptr));
    }
    // Half to even, saturated.
    const std::int32_t rounded = value <= INT32_MIN ? INT32_MIN
                                 : value >= INT32_MAX
                                     ? INT32_MAX
                                     : static_cast<std::int32_t>(std::nearbyint(value));
    Require(brisendale::RoundToInt32(value) == rounded);
    return 0;
}
