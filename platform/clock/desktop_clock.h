// The clock the program itself uses, as opposed to the bare system clock of
// system_clock.h: on Linux, a process without the right to set the clock asks
// systemd-timedated (system_clock_timedated.h); elsewhere it is the system
// clock.
#pragma once

#include <memory>
#include <string>

#include "platform/clock/system_clock.h"

namespace brisendale {

// `programPath` is the running executable, named in advice to the user.
std::unique_ptr<SystemClock> MakeDesktopClock(const std::string& programPath);

}  // namespace brisendale
