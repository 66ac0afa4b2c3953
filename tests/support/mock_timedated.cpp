#include "tests/support/mock_timedated.h"

#include <sstream>

namespace brisendale {

namespace {

// How private_bus.py is told each behaviour, in the enum's order.
const char* const kAnswers[] = {"accept",
                                "org.freedesktop.timedate1.AutomaticTimeSyncEnabled",
                                "org.freedesktop.PolicyKit1.Error.NotAuthorized",
                                "org.freedesktop.DBus.Error.AccessDenied",
                                "silent",
                                "absent"};

}  // namespace

MockTimedated::MockTimedated(Behaviour behaviour)
    : PrivateBus("timedated", kAnswers[static_cast<int>(behaviour)]) {}

std::vector<MockTimedated::SetTimeCall> MockTimedated::Calls() const {
    std::vector<SetTimeCall> calls;
    std::istringstream log(CallLog());  // "usec relative interactive" a line
    for (SetTimeCall call{}; log >> call.usecUtc >> call.relative >> call.interactive;) {
        calls.push_back(call);
    }
    return calls;
}

}  // namespace brisendale
