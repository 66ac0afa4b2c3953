// Setting the clock's time of day from the time the window shows.
#pragma once

#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {

// Sets the clock's local time of day, today's date kept, from the shown text,
// read as TimeOfDayForm::kShown. A text that is not a time of day throws
// RuntimeError(kTypeMismatch, "Type mismatch") and leaves the clock alone; a
// refusal by the system propagates as ClockRefused.
void SetSystemTimeOfDay(SystemClock& clock, const std::string& shownText);

}  // namespace brisendale
