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
    for (const std::string& line : CallLog()) {
        std::istringstream fields(line);  // "usec relative interactive"
        SetTimeCall& call = calls.emplace_back();
        fields >> call.usecUtc >> call.relative >> call.interactive;
    }
    return calls;
}

}  // namespace brisendale
