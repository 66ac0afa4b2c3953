#include "timesync/clock_update.h"

#include "platform/runtime/runtime_error.h"
#include "timesync/time_of_day.h"

namespace brisendale {

void SetSystemTimeOfDay(SystemClock& clock, const std::string& shownText,
                        Authorisation authorisation, const ClockRequestDone& done) {
    const auto time = ParseTimeOfDay(shownText, TimeOfDayForm::kShown);
    if (!time) {
        throw RuntimeError(RuntimeError::kTypeMismatch, "Type mismatch");
    }
    clock.RequestLocalTimeOfDay(*time, authorisation, done);
}

}  // namespace brisendale
