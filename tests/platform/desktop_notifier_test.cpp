// Against dbusmock's notification daemon on a private session bus.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <optional>

#include "platform/notify/desktop_notifier.h"
#include "tests/support/private_bus.h"

namespace brisendale {
namespace {

constexpr const char* kHandedOver =
    R"(["Brisendale", 0, "org.brisendale.Brisendale", "The clock was not set", "Host not found", )"
    R"([], {"desktop-entry": ["String", "org.brisendale.Brisendale"], "urgency": ["Byte", 1]}, -1])";

TEST(DesktopNotifier, HandsTheServerOneNotificationAndNeverHoldsTheCallerLong) {
    // How the server answers; nullptr: no session bus at all.
    for (const char* answer : {"accept", "silent", "absent", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(answer ? answer : "no bus");
        setenv("DBUS_SESSION_BUS_ADDRESS", kNoSystemBus, 1);  // never the real bus
        std::optional<PrivateBus> mock;
        if (answer) {
            mock.emplace("notification_daemon", answer);
            BRISENDALE_REQUIRE_BUS(*mock);
        }
        QElapsedTimer waited;
        waited.start();
        int done = 0;
        MakeDesktopNotifier()->Notify({"The clock was not set", "Host not found"}, [&] { ++done; });
        EXPECT_LT(waited.elapsed(), 500) << "must not wait for the server";
        EXPECT_EQ(done, 0) << "only from the event loop";
        EXPECT_TRUE(QTest::qWaitFor([&] { return done > 0; }, 2000));
        EXPECT_EQ(done, 1);
        if (mock && std::string(answer) != "absent") {
            EXPECT_EQ(mock->CallLog(), std::string(kHandedOver) + "\n");
        }
    }
}

}  // namespace
}  // namespace brisendale
