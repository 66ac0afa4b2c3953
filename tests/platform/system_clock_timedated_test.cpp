// The clock that asks systemd-timedated when the process may not set the
// clock itself, against a stand-in for timedated on a private bus. The direct
// clock is a recording one, so this machine's clock is never touched.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock/system_clock_posix.h"
#include "platform/clock/system_clock_timedated.h"
#include "tests/support/mock_timedated.h"
#include "tests/support/recording_clock.h"

namespace brisendale {
namespace {

using Behaviour = MockTimedated::Behaviour;
using namespace std::chrono_literals;

constexpr TimeOfDay kShown{12, 0, 0};
constexpr auto kBound = 1500ms;
constexpr const char* kProgram = "/opt/test/brisendale";

struct Outcome {
    std::optional<ClockRefused> refusal;
    bool answeredAtOnce = false;
    qint64 waitedMs = 0;
    int eventLoopTicks = 0;  // a timer that kept firing while the answer was awaited
};

// Asks `clock` to set kShown and waits for the answer with the event loop running.
Outcome Request(SystemClock& clock, Authorisation authorisation) {
    Outcome outcome;
    bool answered = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&outcome] { ++outcome.eventLoopTicks; });
    ticker.start(50);
    QElapsedTimer elapsed;
    elapsed.start();
    clock.RequestLocalTimeOfDay(kShown, authorisation,
                                [&](const std::optional<ClockRefused>& refusal) {
                                    EXPECT_FALSE(answered) << "answered twice";
                                    answered = true;
                                    outcome.refusal = refusal;
                                });
    outcome.answeredAtOnce = answered;
    EXPECT_TRUE(QTest::qWaitFor([&] { return answered; }, 15000)) << "never answered";
    outcome.waitedMs = elapsed.elapsed();
    return outcome;
}

// A clock whose own attempt is refused as it is for a process without CAP_SYS_TIME.
TimedatedClock WithoutPrivilege() {
    auto direct = std::make_unique<RecordingClock>();
    direct->RefuseWith("Operation not permitted", ClockRefused::Cause::kNoPrivilege);
    return TimedatedClock(std::move(direct),
                          TimedatedOptions{.programPath = kProgram, .answerBound = kBound});
}

TEST(TimedatedClock, AnswersOfTimedatedReachTheCallerInPlainWords) {
    struct Row {
        const char* name;
        std::optional<Behaviour> bus;  // empty: no system bus at all
        Authorisation authorisation;
        const char* reasonContains;  // nullptr: the clock was set
    };
    const Row rows[] = {
        {"Accepts", Behaviour::kAccept, Authorisation::kMayAskUser, nullptr},
        {"AcceptsUnattended", Behaviour::kAccept, Authorisation::kMustNotAskUser, nullptr},
        {"AutomaticSyncOn", Behaviour::kAutomaticSync, Authorisation::kMustNotAskUser,
         "automatic time synchronisation is on"},
        {"NotAuthorized", Behaviour::kNotAuthorized, Authorisation::kMayAskUser,
         "refused or cancelled"},
        {"AccessDenied", Behaviour::kAccessDenied, Authorisation::kMayAskUser,
         "refused or cancelled"},
        {"NeverAnswers", Behaviour::kSilent, Authorisation::kMayAskUser,
         "no answer within 1500 ms"},
        {"NoTimedatedOnTheBus", Behaviour::kAbsent, Authorisation::kMayAskUser,
         "sudo setcap cap_sys_time+ep '/opt/test/brisendale'"},
        {"NoBusAtAll", std::nullopt, Authorisation::kMayAskUser,
         "no system bus to ask systemd-timedated instead. To let the program set the clock "
         "itself, give it the cap_sys_time capability: sudo setcap cap_sys_time+ep "
         "'/opt/test/brisendale'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<MockTimedated> mock;
        if (row.bus) {
            mock.emplace(*row.bus);
            BRISENDALE_REQUIRE_BUS(*mock);
        } else {
            setenv("DBUS_SYSTEM_BUS_ADDRESS", kNoSystemBus, 1);
        }
        TimedatedClock clock = WithoutPrivilege();
        const std::int64_t expected = [] {
            const timespec instant = LocalTimeOfDayToRealtime(kShown, std::time(nullptr));
            return std::int64_t{instant.tv_sec} * 1'000'000 + instant.tv_nsec / 1'000;
        }();

        const Outcome outcome = Request(clock, row.authorisation);

        if (row.reasonContains == nullptr) {
            EXPECT_FALSE(outcome.refusal.has_value()) << outcome.refusal->what();
        } else {
            ASSERT_TRUE(outcome.refusal.has_value());
            EXPECT_NE(std::string(outcome.refusal->what()).find(row.reasonContains),
                      std::string::npos)
                << outcome.refusal->what();
        }
        if (row.bus && *row.bus != Behaviour::kAbsent) {
            EXPECT_FALSE(outcome.answeredAtOnce);
            const auto calls = mock->Calls();
            ASSERT_EQ(calls.size(), 1U);
            EXPECT_NEAR(calls[0].usecUtc, expected, 2'000'000);
            EXPECT_EQ(calls[0].usecUtc % 1'000'000, 500'000) << "half a second past the shown time";
            EXPECT_FALSE(calls[0].relative);
            EXPECT_EQ(calls[0].interactive, row.authorisation == Authorisation::kMayAskUser);
        }
        if (row.bus == Behaviour::kSilent) {
            // Qt's coarse timers may fire up to 5 % early.
            EXPECT_GE(outcome.waitedMs, kBound.count() * 9 / 10);
            EXPECT_LT(outcome.waitedMs, kBound.count() + 3000);
            EXPECT_GE(outcome.eventLoopTicks, 10) << "the event loop must run while it waits";
        }
    }
}

TEST(TimedatedClock, IsAskedOnlyWhenTheProcessLacksTheRight) {
    struct Row {
        const char* name;
        std::optional<ClockRefused::Cause> directRefusal;  // empty: the direct set works
    };
    const Row rows[] = {{"DirectSetWorks", std::nullopt},
                        {"RefusedForAnotherReason", ClockRefused::Cause::kOther}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MockTimedated mock(Behaviour::kAccept);
        BRISENDALE_REQUIRE_BUS(mock);
        auto direct = std::make_unique<RecordingClock>();
        RecordingClock& recording = *direct;
        if (row.directRefusal)
            direct->RefuseWith("Invalid argument", *row.directRefusal);
        TimedatedClock clock(std::move(direct), TimedatedOptions{.programPath = kProgram});

        const Outcome outcome = Request(clock, Authorisation::kMayAskUser);

        EXPECT_TRUE(outcome.answeredAtOnce);
        EXPECT_EQ(outcome.refusal.has_value(), row.directRefusal.has_value());
        EXPECT_EQ(recording.Calls(), 1);
        EXPECT_TRUE(mock.Calls().empty());
    }
}

}  // namespace
}  // namespace brisendale
