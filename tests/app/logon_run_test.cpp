// The logon run's steps on the engine's fakes: the delay, the retrieval, the clock, the end.
#include "app/logon_run.h"

#include <gtest/gtest.h>

#include "tests/support/fake_transport.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_clock.h"

namespace brisendale {
namespace {

// Hands every notification over at once.
struct RecordingNotifier : DesktopNotifier {
    void Notify(const Notification& notification, std::function<void()> done) override {
        sent.push_back(notification.summary + ": " + notification.body);
        done();
    }
    std::vector<std::string> sent;
};

TEST(LogonRun, WaitsTheDelayRetrievesSetsTheClockAndEndsSayingHow) {
    struct Row {
        std::string reply;
        bool clockRefuses;
        int status;
        const char* says;
    };
    const Row rows[] = {
        {NistLine(), false, 0, "brisendale: clock set to 07:00:00 from time-a-g.nist.gov; it was"},
        {NistLine(), true, 1, "brisendale: The system time could not be set: no"},
        {NistLine("12:00:00", '4'), false, 1,
         "brisendale: Status: Server reports its time may be wrong; try another server."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.says);
        FakeTransport transport;
        ManualScheduler scheduler;
        RecordingClock clock;
        if (row.clockRefuses)
            clock.refusal = ClockRefusal{"no"};
        RecordingNotifier notifier;
        LogonRun run(SyncServices{transport, scheduler, clock, [](ClockInstant) { return 0; }},
                     notifier, LogonChoices{0, 7, std::chrono::seconds(3)});
        std::optional<int> status;
        QObject::connect(&run, &LogonRun::finished, [&](int s) { status = s; });
        run.Start();
        scheduler.Advance(std::chrono::milliseconds(2999));
        EXPECT_TRUE(transport.hosts.empty()) << "asked before the delay";
        scheduler.Advance(std::chrono::milliseconds(1));
        ASSERT_EQ(transport.hosts.size(), 1U);
        ::testing::internal::CaptureStderr();
        transport.Send(row.reply);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, row.status);
        EXPECT_EQ(said.rfind(row.says, 0), 0U) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        // Only a run that did not set the clock tells the desktop, once.
        EXPECT_EQ(notifier.sent.size(), row.status == 0 ? 0U : 1U);
    }
}

}  // namespace
}  // namespace brisendale
