// The real program started as its logon entry starts it, in namespaces of its
// own where the system clock cannot be changed: the run must end by itself,
// and since its own clock change is refused, it asks timedated (a stand-in on
// a private bus) without interaction, or ends with status 1 and the reason.
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

    static void StoreLogonEntry() {
        SaveSettings(SettingsToSave{.serverIndex = 0,
                                    .zoneIndex = 7,
                                    .delayText = "1",
                                    .startupCheckValue = 1,
                                    .appFolder = "/usr/bin",
                                    .exeName = "brisendale"});
        ASSERT_TRUE(ReadLogonEntryExists());
    }

    fs::path folder_;
};

TEST_F(LogonRunProcess, EndsByItselfAndNamesTheCapabilityWhereNoBusCanBeAsked) {
    StoreLogonEntry();
    const NamespaceRun run = StartWithSwitch();
    if (run.status == measure::kNoNamespaces) {
        GTEST_SKIP() << "user and network namespaces are not available here";
    }
    EXPECT_FALSE(run.timedOut) << run.standardError;
    EXPECT_EQ(run.status, 1) << run.standardError;
    EXPECT_NE(run.standardError.find("The system time could not be set"), std::string::npos)
        << run.standardError;
    EXPECT_NE(run.standardError.find("sudo setcap cap_sys_time+ep '" BRISENDALE_EXECUTABLE "'"),
              std::string::npos)
        << run.standardError;
    EXPECT_GE(run.seconds, 0.9) << "the run waits its one-second delay first";
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

TEST_F(LogonRunProcess, SwitchWithoutEntryAndWithoutDisplayRefusesToStart) {
    const NamespaceRun run = StartWithSwitch();
    if (run.status == measure::kNoNamespaces) {
        GTEST_SKIP() << "user and network namespaces are not available here";
    }
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 1) << run.standardError;
    EXPECT_NE(run.standardError.find("no display"), std::string::npos) << run.standardError;
}

}  // namespace
}  // namespace brisendale
