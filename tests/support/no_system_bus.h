// Where no bus listens: what tests give their programs instead of the real system or session bus.
#pragma once

namespace brisendale {

inline constexpr const char* kNoSystemBus = "unix:path=/nonexistent/brisendale-test-bus";

}  // namespace brisendale
