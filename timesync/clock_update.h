// Setting the clock's time of day from the time the window shows.
#pragma once

#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {

// Sets the clock's local time of day, today's date kept, from the shown text,
// read as TimeOfDayForm::kShown, and reports to `done` how that ended: at
// once, or later where the clock has to ask the system (see
// SystemClock::RequestLocalTimeOfDay). A text that is not a time of day throws
// RuntimeError(kTypeMismatch, "Type mismatch"), leaves the clock alone and
// never calls `done`.
void SetSystemTimeOfDay(SystemClock& clock, const std::string& shownText,
                        Authorisation authorisation, const ClockRequestDone& done);

}  // namespace brisendale
