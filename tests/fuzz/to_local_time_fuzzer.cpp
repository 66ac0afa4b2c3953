// The hour shift on any text and any 16-bit offset: nothing may crash or
// reach undefined behaviour, and for the texts and offsets the program really
// sees the result must be exact.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "timesync/zone_list.h"

namespace {

using brisendale::fuzzing::Require;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Two bytes of offset, low byte first, then the text.
    if (size < 2)
        return 0;
    const auto offset = static_cast<std::int16_t>(data[0] | (data[1] << 8));
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

    const std::string shown = brisendale::ToLocalTime(text, offset);
    // Whatever the input, the rest after the hour is passed through, at most
    // six characters of it.
    const std::string rest = text.size() > 2 ? text.substr(2, 6) : std::string();
    Require(shown.size() >= rest.size() &&
            shown.compare(shown.size() - rest.size(), rest.size(), rest) == 0);

    const bool realOffset = offset >= -12 && offset <= 12;
    const bool realHour = text.size() >= 2 && IsDigit(text[0]) && IsDigit(text[1]) &&
                          (text[0] - '0') * 10 + (text[1] - '0') <= 23;
    if (realOffset && realHour) {
        const int hour = (text[0] - '0') * 10 + (text[1] - '0');
        const int expected = ((hour + offset) % 24 + 24) % 24;
        Require(shown.size() == 2 + rest.size());
        Require(IsDigit(shown[0]) && IsDigit(shown[1]));
        Require((shown[0] - '0') * 10 + (shown[1] - '0') == expected);
    }
    return 0;
}
