#include "timesync/time_of_day.h"

#include <cstddef>

#include "platform/runtime/ascii_digit.h"

namespace brisendale {

namespace {

constexpr std::string_view kLayout = "00:00:00";

}  // namespace

std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text) {
    if (text.size() != kLayout.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool fits = kLayout[i] == ':' ? text[i] == ':' : IsAsciiDigit(text[i]);
        if (!fits) {
            return std::nullopt;
        }
    }
    const auto field = [text](std::size_t at) {
        return (text[at] - '0') * 10 + (text[at + 1] - '0');
    };
    const TimeOfDay time{field(0), field(3), field(6)};
    if (!IsInRange(time)) {
        return std::nullopt;
    }
    return time;
}

}  // namespace brisendale
