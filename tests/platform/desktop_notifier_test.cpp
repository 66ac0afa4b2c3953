// Against dbusmock's notification daemon on a private session bus.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

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
        const PrivateBus mock("notification_daemon", answer);
        BRISENDALE_REQUIRE_BUS(mock);
        QElapsedTimer waited;
        waited.start();
        int done = 0;
        MakeDesktopNotifier()->Notify({"The clock was not set", "Host not found"}, [&] { ++done; });
        EXPECT_LT(waited.elapsed(), 500) << "must not wait for the server";
        EXPECT_EQ(done, 0) << "only from the event loop";
        EXPECT_TRUE(QTest::qWaitFor([&] { return done > 0; }, 2000));
        EXPECT_EQ(done, 1);
        const bool served = answer && std::string(answer) != "absent";
        EXPECT_EQ(mock.CallLog(), served ? std::string(kHandedOver) + "\n" : "");
    }
}

}  // namespace
}  // namespace brisendale
