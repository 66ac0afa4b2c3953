// Where no bus listens: what a test gives whatever it runs instead of the real
// system or session bus (and with them the real timedated, polkit or desktop).
#pragma once

namespace brisendale {

inline constexpr const char* kNoSystemBus = "unix:path=/nonexistent/brisendale-test-bus";

}  // namespace brisendale
