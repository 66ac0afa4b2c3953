// A private system bus with a stand-in for systemd-timedated on it
// (mock_timedated.py, python3-dbusmock's timedated template), so that no test
// ever asks the real timedated or polkit. While it lives,
// DBUS_SYSTEM_BUS_ADDRESS names the private bus. Linux only; plain C++.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/no_system_bus.h"

namespace brisendale {

class MockTimedated {
  public:
    // How the stand-in answers SetTime.
    enum class Behaviour {
        kAccept,
        kAutomaticSync,  // org.freedesktop.timedate1.AutomaticTimeSyncEnabled
        kNotAuthorized,  // org.freedesktop.PolicyKit1.Error.NotAuthorized
        kAccessDenied,   // org.freedesktop.DBus.Error.AccessDenied
        kSilent,         // never answers
        kAbsent,         // a bus without timedated
    };

    struct SetTimeCall {
        std::int64_t usecUtc;
        bool relative;
        bool interactive;
    };

    explicit MockTimedated(Behaviour behaviour);
    ~MockTimedated();
    MockTimedated(const MockTimedated&) = delete;
    MockTimedated& operator=(const MockTimedated&) = delete;

    // Empty when the bus could not be started; Problem() then says why.
    const std::string& Address() const { return address_; }
    const std::string& Problem() const { return problem_; }

    // Every SetTime call the stand-in received so far.
    std::vector<SetTimeCall> Calls() const;

  private:
    std::string folder_;
    std::string address_;
    std::string problem_;
    std::string previousAddress_;
    bool hadAddress_ = false;
    pid_t pid_ = -1;
    int input_ = -1;
};

// In a test body: skips when the private bus cannot be started here, except
// in CI, where these tests must run.
#define BRISENDALE_REQUIRE_BUS(mock)                                                 \
    if ((mock).Address().empty()) {                                                  \
        if (std::getenv("CI") != nullptr) {                                          \
            FAIL() << "the private system bus did not start: " << (mock).Problem();  \
        }                                                                            \
        GTEST_SKIP() << "no private system bus (dbus-daemon and python3-dbusmock): " \
                     << (mock).Problem();                                            \
    }

}  // namespace brisendale
