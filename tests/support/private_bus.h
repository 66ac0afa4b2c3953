// A private bus for one test with a dbusmock stand-in on it (private_bus.py):
// a system bus for timedated, a session bus for the notification daemon.
// While it lives DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS names
// it, afterwards no bus.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace brisendale {

class PrivateBus {
  public:
    // `templateName` and `answer` as private_bus.py takes them.
    PrivateBus(const std::string& templateName, const std::string& answer);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the bus could not start; Problem() says why.
    const std::string& Address() const { return address_; }
    const std::string& Problem() const { return problem_; }
    std::string CallLog() const;  // the stand-in's calls so far, one a line

  private:
    std::string variable_, folder_, address_, problem_;
    FILE* script_ = nullptr;  // its input: closing it ends the bus
};

// Skips when the private bus cannot start here, except in CI.
#define BRISENDALE_REQUIRE_BUS(mock)                                                     \
    if ((mock).Address().empty()) {                                                      \
        ASSERT_EQ(std::getenv("CI"), nullptr) << "no private bus: " << (mock).Problem(); \
        GTEST_SKIP() << "no private bus: " << (mock).Problem();                          \
    }

}  // namespace brisendale
