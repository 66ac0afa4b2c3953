// A private system bus with a timedated stand-in, or session bus with a notification server
// (private_bus.py), named by DBUS_*_BUS_ADDRESS while it lives. The stand-in logs a line per
// call: SetTime as "usec relative interactive" (0 or 1 each), Notify as a JSON array.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/no_system_bus.h"

namespace brisendale {

class PrivateBus {
  public:
    // `templateName`: "timedated" or "notification_daemon"; `answer`: "accept",
    // "silent", "absent" (no stand-in), the D-Bus error to refuse with, or nullptr: no bus at all.
    PrivateBus(const std::string& templateName, const char* answer);
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

// Skips when the private bus cannot start here, except in CI.
#define BRISENDALE_REQUIRE_BUS(mock)                                                     \
    if ((mock).Address().empty()) {                                                      \
        ASSERT_EQ(std::getenv("CI"), nullptr) << "no private bus: " << (mock).Problem(); \
        GTEST_SKIP() << "no private bus: " << (mock).Problem();                          \
    }

}  // namespace brisendale
