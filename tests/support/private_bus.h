// A private bus with a dbusmock stand-in on it (private_bus.py): a system bus
// with timedated or a session bus with a notification server. While it lives
// DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS names it, then no bus.
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
    // `answer`: "accept", "silent", "absent" (no stand-in) or the D-Bus error to refuse with.
    PrivateBus(const std::string& templateName, const std::string& answer);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& Address() const { return address_; }  // empty: see Problem()
    const std::string& Problem() const { return problem_; }
    std::string CallLog() const;  // the stand-in's calls so far, one a line

  private:
    std::string variable_, folder_, address_, problem_;
    FILE* script_ = nullptr;  // its output: closing it ends the bus
};

// Each Notify call: a JSON array of its arguments, each hint as [D-Bus type, value].
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
    std::vector<SetTimeCall> Calls() const;
};

// Skips when the private bus cannot start here, except in CI.
#define BRISENDALE_REQUIRE_BUS(mock)                                                     \
    if ((mock).Address().empty()) {                                                      \
        ASSERT_EQ(std::getenv("CI"), nullptr) << "no private bus: " << (mock).Problem(); \
        GTEST_SKIP() << "no private bus: " << (mock).Problem();                          \
    }

}  // namespace brisendale
