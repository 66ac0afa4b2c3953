// The real program started as its logon entry starts it, and as a user starts
// it without a display, in namespaces of its own where the system clock
// cannot be changed: every run must end by itself within its bound, whatever
// the server does, and keep its memory under a ceiling. The logon run, its own
// clock change refused, asks timedated (a stand-in on a private bus) without
// interaction or ends with status 1 and the reason; a window that cannot be
// shown ends with status 1 and a plain message instead of Qt's abort.
#include "settings/stored_settings.h"
#include "tests/support/mock_timedated.h"
#include "tests/support/namespace_run.h"
#include "timesync/server_table.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brisendale {
namespace {

namespace fs = std::filesystem;
using measure::NamespaceRun;
using measure::RunInNamespace;
using measure::ServerBehaviour;

constexpr char kClockRefused[] = "The system time could not be set";
constexpr char kNoDisplay[] = "brisendale: no display is available to show the window";

class LogonRunProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("brisendale-logon-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        // The first server's name resolves to the loopback server.
        ServerTable servers;
        servers.Fill();
        std::ofstream(HostsFile()) << "127.0.0.1 localhost " << servers.ServerHost[0] << "\n";
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }

    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(folder_);
    }

    std::string HostsFile() const { return (folder_ / "hosts").string(); }

    NamespaceRun StartWithSwitch(const std::string& systemBus = kNoSystemBus) {
        return RunInNamespace({BRISENDALE_EXECUTABLE, "-startup"}, folder_.string(), HostsFile(),
                              ServerBehaviour::SendLine, 20, systemBus);
    }

    static void StoreSettings(int startupBox) {
        SaveSettings(SettingsToSave{.serverIndex = 0,
                                    .zoneIndex = 7,
                                    .delayText = "1",
                                    .startupCheckValue = startupBox,
                                    .appFolder = "/usr/bin",
                                    .exeName = "brisendale"});
    }

    static void StoreLogonEntry() {
        StoreSettings(1);
        ASSERT_TRUE(ReadLogonEntryExists());
    }

    fs::path folder_;
};

// The program itself stays near 30 MB; a client that kept what a flood
// sends would pass this within a second. Sanitizer builds carry shadow
// memory and need more room.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMemoryCeilingKb = 600 * 1024;
#else
constexpr long kMemoryCeilingKb = 200 * 1024;
#endif

TEST_F(LogonRunProcess, EndsByItselfWithinItsBoundWhateverTheServerDoes) {
    struct Row {
        const char* name;
        ServerBehaviour behaviour;
        double boundSeconds;  // the delay, then the exchange's own bound, with room to start
        const char* reported;
    };
    const Row rows[] = {
        // The clock is refused in the namespace and there is no bus to ask.
        {"good line", ServerBehaviour::SendLine, 1 + 5,
         "sudo setcap cap_sys_time+ep '" BRISENDALE_EXECUTABLE "'"},
        // The reply is complete at once; only the refused clock ends the run.
        {"flood", ServerBehaviour::Flood, 1 + 5, kClockRefused},
        // The line would take a minute: the 15-second bound ends it.
        {"one byte a second", ServerBehaviour::Trickle, 1 + 15 + 5, "Connection timed out"},
        {"reset at once", ServerBehaviour::Reset, 1 + 5, "Winsock Error"},
    };
    StoreLogonEntry();
    for (const Row& row : rows) {
        const NamespaceRun run = RunInNamespace({BRISENDALE_EXECUTABLE, "-startup"},
                                                folder_.string(), HostsFile(), row.behaviour, 40);
        if (run.status == measure::kNoNamespaces) {
            GTEST_SKIP() << "user and network namespaces are not available here";
        }
        EXPECT_FALSE(run.timedOut) << row.name << ": " << run.standardError;
        EXPECT_EQ(run.status, 1) << row.name << ": " << run.standardError;
        EXPECT_NE(run.standardError.find(row.reported), std::string::npos)
            << row.name << ": " << run.standardError;
        EXPECT_GE(run.seconds, 0.9) << row.name << ": the run waits its one-second delay first";
        EXPECT_LT(run.seconds, row.boundSeconds) << row.name;
        EXPECT_LT(run.maxRssKb, kMemoryCeilingKb) << row.name;
    }
}

TEST_F(LogonRunProcess, AsksTimedatedWithoutInteraction) {
    struct Row {
        const char* name;
        MockTimedated::Behaviour behaviour;
        int status;
        const char* reported;
    };
    const Row rows[] = {
        {"TimedatedSetsIt", MockTimedated::Behaviour::kAccept, 0, "successfully received"},
        {"AutomaticSyncOn", MockTimedated::Behaviour::kAutomaticSync, 1,
         "timedatectl set-ntp false"},
    };
    StoreLogonEntry();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MockTimedated timedated(row.behaviour);
        BRISENDALE_REQUIRE_BUS(timedated);
        const NamespaceRun run = StartWithSwitch(timedated.Address());
        if (run.status == measure::kNoNamespaces) {
            GTEST_SKIP() << "user and network namespaces are not available here";
        }
        EXPECT_FALSE(run.timedOut) << run.standardError;
        EXPECT_EQ(run.status, row.status) << run.standardError;
        EXPECT_NE(run.standardError.find(row.reported), std::string::npos) << run.standardError;
        const auto calls = timedated.Calls();
        ASSERT_EQ(calls.size(), 1U) << run.standardError;
        EXPECT_FALSE(calls[0].interactive);
    }
}

struct StartRow {
    const char* name;
    std::vector<std::string> arguments;
    bool logonEntry;
    std::vector<std::string> environment;
    const char* says;  // the logon run's end, or the refusal to open a window
};

TEST_F(LogonRunProcess, OnlyTheExactSwitchRunsWithoutADisplayAndNothingAborts) {
    const std::vector<std::string> staleDisplay = {"DISPLAY=:99"};
    const StartRow rows[] = {
        {"logon run with a stale DISPLAY", {"-startup"}, true, staleDisplay, kClockRefused},
        {"Qt's -reverse after the switch", {"-startup", "-reverse"}, true, {}, kNoDisplay},
        {"Qt's -style after the switch", {"-startup", "-style", "fusion"}, true, {}, kNoDisplay},
        {"Qt's -platform after the switch", {"-startup", "-platform", "xcb"}, true, {}, kNoDisplay},
        {"switch without an entry", {"-startup"}, false, {}, kNoDisplay},
        {"window without a display", {}, true, {}, kNoDisplay},
        {"window with a stale DISPLAY", {}, false, staleDisplay, kNoDisplay},
    };
    for (const StartRow& row : rows) {
        StoreSettings(row.logonEntry ? 1 : 0);
        ASSERT_EQ(ReadLogonEntryExists(), row.logonEntry);
        std::vector<std::string> argv = {BRISENDALE_EXECUTABLE};
        argv.insert(argv.end(), row.arguments.begin(), row.arguments.end());
        const NamespaceRun run =
            RunInNamespace(argv, folder_.string(), HostsFile(), ServerBehaviour::SendLine, 20,
                           kNoSystemBus, row.environment);
        if (run.status == measure::kNoNamespaces) {
            GTEST_SKIP() << "user and network namespaces are not available here";
        }
        EXPECT_FALSE(run.timedOut) << row.name;
        EXPECT_EQ(run.status, 1) << row.name << ": " << run.standardError;
        EXPECT_NE(run.standardError.find(row.says), std::string::npos)
            << row.name << ": " << run.standardError;
        if (row.says != kClockRefused) {
            EXPECT_EQ(run.standardError.find(kClockRefused), std::string::npos) << row.name;
        }
    }
}

}  // namespace
}  // namespace brisendale
