// PROVISIONAL (replaced by the clock layer's own version at merge).
#pragma once

#include "platform/clock/system_clock.h"

namespace brisendale {

ClockInstant ServerInstant(const TimeOfDay& utcTimeOfDay, ClockInstant clockReading);

}  // namespace brisendale
