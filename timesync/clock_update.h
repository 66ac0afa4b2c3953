// Setting the clock's time of day from the time the window shows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/clock/system_clock.h"

namespace brisendale {

// Reads a shown time of day: hours, minutes and optional seconds separated by
// colons, one or two digits each, on the 24-hour clock, blanks around it
// allowed ("07:00:00", "7:05", " 23:59:59 "). Empty for anything else,
// including values out of range.
std::optional<TimeOfDay> ReadTimeOfDay(std::string_view text);

// Sets the clock's local time of day, today's date kept, from the shown text,
// and reports to `done` how that ended: at once, or later where the clock has
// to ask the system (see SystemClock::RequestLocalTimeOfDay). A text that is
// not a time of day throws RuntimeError(kTypeMismatch, "Type mismatch"),
// leaves the clock alone and never calls `done`.
void SetSystemTimeOfDay(SystemClock& clock, const std::string& shownText,
                        Authorisation authorisation, const ClockRequestDone& done);

}  // namespace brisendale
