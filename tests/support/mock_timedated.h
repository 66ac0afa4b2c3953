// A private system bus with a stand-in for timedated (mock_timedated.py); while
// it lives DBUS_SYSTEM_BUS_ADDRESS names it, afterwards no bus.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/no_system_bus.h"

namespace brisendale {

class MockTimedated {
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
    ~MockTimedated();
    MockTimedated(const MockTimedated&) = delete;
    MockTimedated& operator=(const MockTimedated&) = delete;

    // Empty when the bus could not start; Problem() says why.
    const std::string& Address() const { return address_; }
    const std::string& Problem() const { return problem_; }
    std::vector<SetTimeCall> Calls() const;  // every SetTime call so far

  private:
    std::string folder_, address_, problem_;
    FILE* script_ = nullptr;  // its input: closing it ends the bus
};

// Skips when the private bus cannot start here, except in CI.
#define BRISENDALE_REQUIRE_BUS(mock)                                                     \
    if ((mock).Address().empty()) {                                                      \
        ASSERT_EQ(std::getenv("CI"), nullptr) << "no private bus: " << (mock).Problem(); \
        GTEST_SKIP() << "no private system bus: " << (mock).Problem();                   \
    }

}  // namespace brisendale
