// The real program, started as a logon run with a delay of 1, against Daytime
// servers that misbehave: it must end each exchange by itself within its
// bound, report the outcome, and keep its memory under a fixed ceiling.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "settings/stored_settings.h"
#include "tests/support/namespace_run.h"
#include "timesync/server_table.h"

namespace brisendale {
namespace {

namespace fs = std::filesystem;
using measure::ServerBehaviour;

// The program itself stays near 30 MB; a client that kept what a flood
// sends would pass this within a second. Sanitizer builds carry shadow
// memory and need more room.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMemoryCeilingKb = 600 * 1024;
#else
constexpr long kMemoryCeilingKb = 200 * 1024;
#endif

struct Case {
    const char* name;
    ServerBehaviour behaviour;
    double boundSeconds;  // the delay, then the exchange's own bound, with room to start
    const char* reported;
};

class DaytimeStress : public ::testing::TestWithParam<Case> {};

TEST_P(DaytimeStress, EndsWithinItsBoundUnderTheCeiling) {
    const Case& c = GetParam();
    std::string pattern = (fs::temp_directory_path() / "brisendale-stress-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;

    ServerTable servers;
    servers.Fill();
    const fs::path hosts = folder / "hosts";
    ASSERT_TRUE(
        measure::detail::WriteText(hosts, "127.0.0.1 localhost " + servers.ServerHost[0] + "\n"));
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    SaveSettings(SettingsToSave{.serverIndex = 0,
                                .zoneIndex = 12,
                                .delayText = "1",
                                .startupCheckValue = 1,
                                .appFolder = "/usr/bin",
                                .exeName = "brisendale"});
    unsetenv("XDG_CONFIG_HOME");

    const auto run = measure::RunInNamespace({BRISENDALE_EXECUTABLE, "-startup"}, folder, hosts,
                                             c.behaviour, 40);
    fs::remove_all(folder);
    if (run.status == measure::kNoNamespaces)
        GTEST_SKIP() << "user and network namespaces are not available here";

    std::printf("%s: ended after %.2f s, peak memory %.1f MB\n", c.name, run.seconds,
                run.maxRssKb / 1024.0);
    EXPECT_FALSE(run.timedOut) << run.standardError;
    EXPECT_LT(run.seconds, c.boundSeconds) << run.standardError;
    // The clock cannot be set in the namespace, so no run ends with success.
    EXPECT_EQ(run.status, 1) << run.standardError;
    EXPECT_NE(run.standardError.find(c.reported), std::string::npos) << run.standardError;
    EXPECT_LT(run.maxRssKb, kMemoryCeilingKb);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, DaytimeStress,
    ::testing::Values(
        // The reply is complete at once; only the refused clock ends the run.
        Case{"Flood", ServerBehaviour::Flood, 1 + 5, "The system time could not be set"},
        // 24 characters would take 24 seconds: the 15-second bound ends it.
        Case{"TrickleOneByteASecond", ServerBehaviour::Trickle, 1 + 15 + 5, "Connection timed out"},
        Case{"ResetAtOnce", ServerBehaviour::Reset, 1 + 5, "Winsock Error"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brisendale
