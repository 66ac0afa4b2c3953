// Concurrent and killed saves: no write refused, values and logon entry always one save's whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/logon_command.h"
#include "settings/registry.h"
#include "settings/settings_batch.h"
#include "settings/stored_settings.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

// Save i of process k (-1: each in turn): server 3+5k, zone 4+16k, delay 1000(k+1)+i, in /opt/k.
pid_t StartSaving(int process, int saves) {
    const pid_t child = fork();
    if (child == 0) {
        alarm(60);
        bool refused = false;
        for (int i = 0; i < saves; ++i) {
            const int k = process < 0 ? i % 2 : process;
            refused |= !SaveSettings({static_cast<std::int16_t>(3 + 5 * k),
                                      static_cast<std::int16_t>(4 + 16 * k),
                                      std::to_string(1000 * (k + 1) + i % 1000), true,
                                      "/opt/" + std::to_string(k), "brisendale"})
                            .empty();
        }
        _exit(refused);
    }
    return child;
}

// The stored delay when the three values are one save whole; else -1.
int StoredSave() {
    const LoadedSettings loaded = LoadSettings(7);
    const int k = loaded.delay / 1000 - 1;
    const bool whole =
        (k == 0 || k == 1) && loaded.serverIndex == 3 + 5 * k && loaded.zoneIndex == 4 + 16 * k;
    return whole ? loaded.delay : -1;
}

TEST(SettingsStress, TwoProcessesSavingAtOnceLoseNoWriteAndNeverMix) {
    const testing::TempConfigHome home;
    constexpr int kSaves = 40;
    waitpid(StartSaving(0, 1), nullptr, 0);
    StartSaving(0, kSaves);
    StartSaving(1, kSaves);
    for (int running = 2, status = 0; running > 0; usleep(1000)) {
        // Read under the write lock that a batched write holds, as one view.
        RegistryBatch batch;
        Registry::SetStringValue(HKEY_LOCAL_MACHINE, "Software\\Quorvel", "Reader", "");
        EXPECT_GE(StoredSave(), 0) << "a view that was no one save";
        EXPECT_EQ(batch.End(), ERROR_SUCCESS) << "the reader's own writes";
        if (waitpid(-1, &status, WNOHANG) > 0) {
            EXPECT_EQ(status, 0) << "writes refused, or the child hung";
            --running;
        }
    }
    EXPECT_EQ(StoredSave() % 1000, kSaves - 1) << "one process's last save is kept";
}

TEST(SettingsStress, KilledMidSaveLeavesOldOrNewValuesAndEntry) {
    const testing::TempConfigHome home;
    waitpid(StartSaving(0, 1), nullptr, 0);
    for (int round = 0; round < 50; ++round) {
        const pid_t child = StartSaving(-1, 1000);
        usleep(round * 7919 % 30000);  // from before the first write to well into the saves
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        ASSERT_GE(StoredSave(), 0) << "round " << round;
        const std::string entry = testing::ReadFile(home.Autostart());
        const auto holds = [&](const char* folder) {
            return entry.find(LogonCommandLine(folder, "brisendale")) != std::string::npos;
        };
        ASSERT_TRUE(holds("/opt/0") || holds("/opt/1")) << entry;
    }
}

}  // namespace
}  // namespace brisendale
