// A private system bus with a stand-in for timedated; while it lives
// DBUS_SYSTEM_BUS_ADDRESS names it, afterwards no bus.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/no_system_bus.h"
#include "tests/support/private_bus.h"

namespace brisendale {

class MockTimedated : public PrivateBus {
  public:
    // How SetTime is answered; kAbsent: timedated is not on the bus.
    enum class Behaviour {
        kAccept,
        kAutomaticSync,
        kNotAuthorized,
        kAccessDenied,
        kSilent,
        kAbsent
    };
    struct SetTimeCall {
        std::int64_t usecUtc;
        bool relative, interactive;
    };

    explicit MockTimedated(Behaviour behaviour);
    std::vector<SetTimeCall> Calls() const;  // every SetTime call so far
};

}  // namespace brisendale
