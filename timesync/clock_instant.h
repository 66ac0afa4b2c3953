// The instant a Daytime server's time of day stands for.
#pragma once

#include "platform/clock/system_clock.h"

namespace brisendale {

// The instant `utcTimeOfDay` (a server's UTC time of day, within its ranges)
// stands for, given what the computer's clock read when it arrived: that time
// of day plus half a second, on the UTC date that puts it nearest the reading
// (the reading's own, the day before or the day after), so never more than
// 12 hours from it; exactly 12 hours before counts as 12 hours after.
//
// The half second: a Daytime reply cuts the time down to whole seconds, so
// the true time lies somewhere in the following second, and its middle halves
// the largest error. The date comes from the computer, as the reply's time of
// day is all that is read: near midnight, a clock a little slow or fast is
// still on the other date.
ClockInstant ServerInstant(const TimeOfDay& utcTimeOfDay, ClockInstant clockReading);

}  // namespace brisendale
