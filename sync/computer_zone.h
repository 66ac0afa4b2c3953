// The computer's own time zone, as its settings give it.
#pragma once

#include "platform/clock/system_clock.h"

namespace brisendale {

// The computer's offset east of Greenwich at `instant`, in seconds, summer
// time included.
int ComputerOffsetSeconds(ClockInstant instant);

// The zone list's index whose offset is the computer's now, when that is a
// whole hour from -12 to +12; otherwise `fallback`.
int ZoneIndexOfComputer(int fallback);

}  // namespace brisendale
