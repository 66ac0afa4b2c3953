// A private bus for one test with a dbusmock stand-in on it (private_bus.py):
// a system bus with timedated or a session bus with a notification server.
// While it lives DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS names it,
// afterwards no bus.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/no_system_bus.h"

namespace brisendale {

class PrivateBus {
  public:
    // `answer`: "accept", "silent" (never answers), "absent" (no stand-in on
    // the bus) or the D-Bus error to refuse calls with.
    PrivateBus(const std::string& templateName, const std::string& answer);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the bus could not start; Problem() says why.
    const std::string& Address() const { return address_; }
    const std::string& Problem() const { return problem_; }
    // The stand-in's calls so far, one a line: a notification as a JSON array
    // of Notify's arguments, each hint as [D-Bus type, value].
    std::string CallLog() const;

  private:
    std::string variable_, folder_, address_, problem_;
    FILE* script_ = nullptr;  // its output: closing it ends the bus
};

struct MockNotifications : PrivateBus {
    explicit MockNotifications(const std::string& answer)
        : PrivateBus("notification_daemon", answer) {}
};

struct MockTimedated : PrivateBus {
    struct SetTimeCall {
        std::int64_t usecUtc;
        bool relative, interactive;
    };
    explicit MockTimedated(const std::string& answer) : PrivateBus("timedated", answer) {}
    std::vector<SetTimeCall> Calls() const;  // every SetTime call so far
};

// Skips when the private bus cannot start here, except in CI.
#define BRISENDALE_REQUIRE_BUS(mock)                                                     \
    if ((mock).Address().empty()) {                                                      \
        ASSERT_EQ(std::getenv("CI"), nullptr) << "no private bus: " << (mock).Problem(); \
        GTEST_SKIP() << "no private bus: " << (mock).Problem();                          \
    }

}  // namespace brisendale
