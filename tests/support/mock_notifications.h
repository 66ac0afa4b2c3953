// A private session bus with dbusmock's notification daemon; while it lives
// DBUS_SESSION_BUS_ADDRESS names it, afterwards no bus. CallLog() holds each
// Notify call as a line: a JSON array of its arguments, each hint's value as
// [D-Bus type, value], e.g. "urgency": ["Byte", 1].
#pragma once

#include "tests/support/private_bus.h"

namespace brisendale {

struct MockNotifications : PrivateBus {
    // "accept"; "silent": takes Notify calls and never answers; "absent": no server.
    explicit MockNotifications(const char* answer) : PrivateBus("notification_daemon", answer) {}
};

}  // namespace brisendale
