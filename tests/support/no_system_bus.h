// An address where no bus listens. Whatever runs the program under test gives
// it either this or a private bus of its own, so that the real system bus,
// and with it the real timedated and polkit, is never asked.
#pragma once

namespace brisendale {

inline constexpr const char* kNoSystemBus = "unix:path=/nonexistent/brisendale-test-bus";

}  // namespace brisendale
