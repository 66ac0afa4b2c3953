// A private system bus with a stand-in for systemd-timedated on it
// (mock_timedated.py), so that no test ever asks the real timedated or
// polkit. While it lives DBUS_SYSTEM_BUS_ADDRESS names it, afterwards no bus.
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
    enum class Behaviour {  // how SetTime is answered
        kAccept,
        kAutomaticSync,  // refused: automatic synchronisation is on
        kNotAuthorized,  // refused by polkit
        kAccessDenied,   // refused by the bus
        kSilent,         // never
        kAbsent,         // not at all: timedated is not on the bus
    };
    struct SetTimeCall {
        std::int64_t usecUtc;
        bool relative, interactive;
    };

    explicit MockTimedated(Behaviour behaviour);
    ~MockTimedated();
    MockTimedated(const MockTimedated&) = delete;
    MockTimedated& operator=(const MockTimedated&) = delete;

    // Empty when the bus could not be started; Problem() then says why.
    const std::string& Address() const { return address_; }
    const std::string& Problem() const { return problem_; }
    std::vector<SetTimeCall> Calls() const;  // every SetTime call so far

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
