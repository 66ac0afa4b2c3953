// The real program started at logon: every run ends by itself in time; only a failed one notifies.
#include <gtest/gtest.h>

#include <future>
#include <memory>

#include "settings/stored_settings.h"
#include "tests/support/namespace_run.h"
#include "tests/support/private_bus.h"
#include "tests/support/temp_config_home.h"
#include "timesync/server_table.h"

namespace brisendale {
namespace {

using enum measure::ServerBehaviour;

constexpr char kSetcap[] = "sudo setcap cap_sys_time+ep '" BRISENDALE_EXECUTABLE "'";

struct Row {
    measure::ServerBehaviour server;
    std::vector<std::string> arguments;  // after the program's path
    // The settings: "entry", "none" (a save removed the entry), "damaged", "retired" (its row)
    const char* home;
    const char* timedated;  // its answer; nullptr: no system bus at all
    bool notifications;     // a session bus with a notification server, or none at all
    int status;
    const char* says;
};

// DISPLAY names a display that is gone: the logon run needs none.
TEST(LogonRunProcess, EndsByItselfWithinItsBound) {
    const Row rows[] = {
        {SendLine, {"-startup"}, "entry", nullptr, true, 1, kSetcap},
        {SendLine, {"-startup", "-reverse"}, "entry", nullptr, false, 1, "no display is available"},
        {SendLine, {"-startup"}, "none", nullptr, false, 1, "-startup runs the clock update only"},
        {SendLine, {"-startup"}, "entry", "accept", true, 0, "brisendale: clock set to"},
        {ListenLate, {"-startup"}, "entry", "accept", true, 0, "attempt 1"},
        {SendLine, {"-startup"}, "damaged", "accept", true, 1, "not set from defaults"},
        {SendLine, {"-startup"}, "retired", "accept", true, 1, "retired by its operator"},
    };
    const testing::TempConfigHome home;
    testing::WriteFile(home.Path() / "hosts", "127.0.0.1 " + std::string(ServerAt(0)->host) + "\n");
    for (const std::string folder : {"entry", "none", "damaged", "retired"}) {
        setenv("XDG_CONFIG_HOME", (home.Path() / folder).c_str(), 1);
        const std::int16_t row = folder == "retired" ? 8 : 0;
        SaveSettings({row, 7, "1", true, "/usr/bin", "brisendale"});
        SaveSettings({row, 7, "1", folder != "none", "/usr/bin", "brisendale"});
    }
    testing::WriteFile(home.Path() / "damaged" / "brisendale" / "registry.sqlite3",
                       "not a database");
    // Side by side, started from this thread: starting a bus changes its environment.
    std::vector<std::unique_ptr<PrivateBus>> buses(std::size(rows)), desktops(std::size(rows));
    std::vector<std::future<measure::NamespaceRun>> runs(std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        buses[i] = std::make_unique<PrivateBus>("timedated", rows[i].timedated);
        BRISENDALE_REQUIRE_BUS(*buses[i]);
        desktops[i] = std::make_unique<PrivateBus>("notification_daemon",
                                                   rows[i].notifications ? "accept" : nullptr);
        BRISENDALE_REQUIRE_BUS(*desktops[i]);
        std::vector<std::string> argv = {BRISENDALE_EXECUTABLE};
        argv.insert(argv.end(), rows[i].arguments.begin(), rows[i].arguments.end());
        const auto child =
            measure::StartInNamespace(argv, home.Path() / rows[i].home, home.Path() / "hosts",
                                      rows[i].server, buses[i]->Address(), desktops[i]->Address());
        runs[i] = std::async(std::launch::async, measure::WaitForRun, child, 40);
    }
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const measure::NamespaceRun run = runs[i].get();
        if (run.status == measure::kNoNamespaces)
            GTEST_SKIP() << "user and network namespaces are not available here";
        SCOPED_TRACE(std::string(rows[i].says) + ": " + run.standardError);
        EXPECT_EQ(run.status, rows[i].status);
        EXPECT_NE(run.standardError.find(rows[i].says), std::string::npos);
        // The delay, then the exchange; the late server's after the second attempt.
        EXPECT_LT(run.seconds, rows[i].server == ListenLate ? 1 + 5 + 10 : 1 + 10);
        EXPECT_GE(run.seconds, rows[i].server == ListenLate ? 1 + 5 : 0);
        if (rows[i].timedated) {  // one request, asking no one, once a time came
            const std::string calls = buses[i]->CallLog();
            EXPECT_EQ(calls.ends_with(" 0 0\n"), rows[i].home == std::string("entry")) << calls;
            EXPECT_LE(std::count(calls.begin(), calls.end(), '\n'), 1);
        }
        if (rows[i].notifications) {
            const std::string notified = desktops[i]->CallLog();
            EXPECT_EQ(std::count(notified.begin(), notified.end(), '\n'), rows[i].status);
            EXPECT_TRUE(rows[i].status == 0 || notified.find(rows[i].says) != std::string::npos)
                << notified;
        }
    }
}

}  // namespace
}  // namespace brisendale
