// Reading a time of day written as hours, minutes and seconds between colons,
// both from a Daytime reply and from the text the window shows.
#pragma once

#include <optional>
#include <string_view>

#include "platform/clock/system_clock.h"

namespace brisendale {

// How strictly a time of day must be written.
enum class TimeOfDayForm {
    // Exactly "HH:MM:SS", two digits each and nothing around it, as a Daytime
    // server sends it.
    kExact,
    // Hours, minutes and optional seconds, one or two digits each, blanks
    // around allowed ("07:00:00", "7:05", " 23:59:59 "), as the window shows it.
    kShown,
};

// The time of day `text` writes in `form`, on the 24-hour clock; empty for
// anything else, including values out of range.
std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text, TimeOfDayForm form);

}  // namespace brisendale
