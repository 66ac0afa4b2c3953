// A private system bus with a stand-in for systemd-timedated on it
// (mock_timedated.py), so that no test ever asks the real timedated or
// polkit. While it lives DBUS_SYSTEM_BUS_ADDRESS names it, afterwards no bus.
// Linux only; plain C++.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/no_system_bus.h"

namespace brisendale {

class MockTimedated {
  public:
    // How SetTime is answered: accepted, refused by timedated (automatic
    // synchronisation is on), by polkit or by the bus, never, or not at all
    // because timedated is not on the bus.
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
        bool relative;
        bool interactive;
    };

    explicit MockTimedated(Behaviour behaviour);
    ~MockTimedated();
    MockTimedated(const MockTimedated&) = delete;

    // Empty when the bus could not be started; Problem() then says why.
    const std::string& Address() const { return address_; }
    const std::string& Problem() const { return problem_; }
    // Every SetTime call received so far.
    std::vector<SetTimeCall> Calls() const;

  private:
    std::string folder_, address_, problem_;
    FILE* script_ = nullptr;  // its input: closing it ends the bus
};

// In a test body: skips when the private bus cannot be started here, except
// in CI, where these tests must run.
#define BRISENDALE_REQUIRE_BUS(mock)                                                     \
    if ((mock).Address().empty()) {                                                      \
        ASSERT_EQ(std::getenv("CI"), nullptr) << "no private bus: " << (mock).Problem(); \
        GTEST_SKIP() << "no private system bus: " << (mock).Problem();                   \
    }

}  // namespace brisendale
