// Reading a time of day as a Daytime server writes it.
#pragma once

#include <optional>
#include <string_view>

#include "platform/clock/system_clock.h"

namespace brisendale {

// The time of day that `text` writes as exactly "HH:MM:SS": two digits each,
// colons in place, nothing around it, hour 00-23, minute and second 00-59.
// Empty for anything else.
std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text);

}  // namespace brisendale
