// The twelve public Daytime servers the user can pick from.
//
// Row number, position in the server list and the stored server index are one
// and the same number, 0 to 11.
#pragma once

#include <string>
#include <string_view>

namespace brisendale {

inline constexpr int kServerCount = 12;

struct TimeServer {
    std::string_view host;   // DNS name of its Daytime service (TCP port 13)
    std::string_view label;  // operator and site, as the user sees them
    // Its operator has taken the service down for good. Whoever holds the
    // domain now could answer in the old server's name and set the clock of
    // everyone who chose it, so such a row is never looked up or contacted.
    bool retired;
};

// The server of `row`; nullptr outside 0 to 11 (a list without a selection
// gives -1), so a bad row never reads a neighbouring one.
const TimeServer* ServerAt(int row);

// The server list's entry: "[" host "] " label.
std::string DisplayString(const TimeServer& server);

}  // namespace brisendale
