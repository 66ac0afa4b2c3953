// Against a stand-in for timedated on a private bus; the direct clock is a
// recording one, so this machine's clock is never touched.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <optional>
#include <vector>

#include "platform/clock/system_clock_timedated.h"
#include "tests/support/private_bus.h"
#include "tests/support/recording_clock.h"

namespace brisendale {
namespace {

enum Direct { kSets, kNoRight, kRefusedOtherwise };  // the process's own attempt
constexpr auto kMayAsk = Authorisation::kMayAskUser;
constexpr int kBoundMs = 1500;
// Microseconds not a multiple of anything, so that no rounding goes unseen.
constexpr ClockInstant kInstant = RecordingClock::kStart + std::chrono::microseconds{123'457};

TEST(TimedatedClock, IsAskedOnlyForWantOfTheRightAndItsAnswersReachTheCallerInPlainWords) {
    struct Row {
        const char* bus;     // timedated's answer; nullptr: no system bus at all
        const char* reason;  // part of the refusal; nullptr: the clock was set
        const char* path = "/opt/b";
        Direct direct = kNoRight;
        Authorisation authorisation = kMayAsk;
    };
    const Row rows[] = {
        {"accept", nullptr},
        {"accept", nullptr, "/opt/b", kNoRight, Authorisation::kMustNotAskUser},
        {"org.freedesktop.timedate1.AutomaticTimeSyncEnabled", "synchronisation is on"},
        {"org.freedesktop.PolicyKit1.Error.NotAuthorized", "refused or cancelled"},
        {"org.freedesktop.DBus.Error.AccessDenied", "refused or cancelled"},
        {"silent", "no answer within 1500 ms"},
        {"absent", "setcap cap_sys_time+ep '/opt/b'"},
        {"org.freedesktop.DBus.Error.Spawn.ChildExited", "setcap"},
        {nullptr,
         "Operation not permitted, and there is no system bus to ask systemd-timedated instead. "
         "To let the program set the clock itself, give it the cap_sys_time capability: sudo "
         "setcap cap_sys_time+ep '/opt/b'"},
        {nullptr, "capability: sudo setcap cap_sys_time+ep '/opt/it'\\''s/b'", "/opt/it's/b"},
        {nullptr, "capability with setcap (its path cannot be shown as text here)",
         "/opt/latin\xe9/b"},
        {"accept", nullptr, "/opt/b", kSets},
        {"accept", "Invalid", "/opt/b", kRefusedOtherwise},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        const std::string bus = row.bus ? row.bus : "";
        const PrivateBus mock("timedated", row.bus);
        BRISENDALE_REQUIRE_BUS(mock);
        auto direct = std::make_unique<RecordingClock>();
        const RecordingClock& recording = *direct;
        if (row.direct != kSets)
            direct->refusal =
                ClockRefusal{row.direct == kNoRight ? "Operation not permitted" : "Invalid",
                             row.direct == kNoRight};
        TimedatedClock clock(std::move(direct), {row.path, std::chrono::milliseconds(kBoundMs)});
        QElapsedTimer waited;
        waited.start();
        std::optional<std::optional<ClockRefusal>> answer;
        clock.RequestTime(kInstant, row.authorisation, [&](const auto& refusal) {
            EXPECT_FALSE(answer.has_value()) << "answered twice";
            answer = refusal;
        });
        const bool asks = row.direct == kNoRight && row.bus;
        // Only the bus's answer comes later, from the event loop, which never waits for it.
        EXPECT_NE(answer.has_value(), asks);
        ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 15000));

        EXPECT_EQ(recording.asked, std::vector{kInstant}) << "its own right is tried first";
        const std::string reason = *answer ? (*answer)->reason : "";
        EXPECT_EQ(answer->has_value(), row.reason != nullptr) << reason;
        EXPECT_NE(reason.find(row.reason ? row.reason : ""), std::string::npos) << reason;
        // The instant itself, absolute, interactive only where someone may be asked.
        const std::string call = std::to_string(kInstant.time_since_epoch().count()) + " 0 " +
                                 (row.authorisation == kMayAsk ? "1\n" : "0\n");
        EXPECT_EQ(mock.CallLog(), asks && bus != "absent" ? call : "");
        if (bus == "silent") {
            EXPECT_GE(waited.elapsed(), kBoundMs * 9 / 10);  // coarse timers fire early
            EXPECT_LT(waited.elapsed(), kBoundMs + 3000);
        }
    }
}

}  // namespace
}  // namespace brisendale
