// Two processes saving at once, and a save killed at any instant: no write is
// refused, the values and logon entry always come from one save, the store is sound.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/logon_command.h"
#include "settings/registry.h"
#include "settings/settings_batch.h"
#include "settings/stored_settings.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

SettingsToSave Save(int k, int delay) {
    const std::int16_t server = 3 + 5 * k, zone = 4 + 16 * k;
    const char* folder = k ? "/opt/new" : "/opt/old";
    return {server, zone, std::to_string(1000 * (k + 1) + delay), 1, folder, "brisendale"};
}

// The stored delay when the three values are one Save whole; else -1.
int StoredSave() {
    const LoadedSettings loaded = LoadSettings(7);
    const int k = loaded.delay / 1000 - 1;
    const bool whole =
        (k == 0 || k == 1) && loaded.serverIndex == 3 + 5 * k && loaded.zoneIndex == 4 + 16 * k;
    return whole ? loaded.delay : -1;
}

bool EntryIsOneSaved() {
    std::int16_t failed = 0;
    const std::string entry = Registry::GetStringValue(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Quorvel", failed);
    return entry == LogonCommandLine("/opt/old", "brisendale") ||
           entry == LogonCommandLine("/opt/new", "brisendale");
}

std::string IntegrityCheck(const std::filesystem::path& store) {
    std::string result = "cannot open";
    sqlite3* db = nullptr;
    sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const auto keep = [](void* out, int, char** row, char**) {
        return *static_cast<std::string*>(out) = row[0], 0;
    };
    sqlite3_exec(db, "PRAGMA integrity_check", keep, &result, nullptr);
    sqlite3_close(db);
    return result;
}

// As process k, or (k < 0) as both in turn; exits with whether a write was refused.
pid_t StartSaving(int k, int saves) {
    const pid_t child = fork();
    if (child == 0) {
        alarm(60);
        bool refused = false;
        for (int i = 0; i < saves; ++i)
            refused |= !SaveSettings(Save(k < 0 ? i % 2 : k, i)).empty();
        _exit(refused);
    }
    return child;
}

TEST(SettingsStress, TwoProcessesSavingAtOnceLoseNoWriteAndNeverMix) {
    const testing::TempConfigHome home;
    constexpr int kSaves = 40;
    SaveSettings(Save(0, 0));
    StartSaving(0, kSaves);
    StartSaving(1, kSaves);
    // Meanwhile each view, read under the write lock a batched write holds, is one save.
    int mixes = 0, refused = 0;
    for (int running = 2, status = 0; running > 0; usleep(1000)) {
        RegistryBatch batch;
        Registry::SetStringValue(HKEY_LOCAL_MACHINE, "Software\\Quorvel", "Reader", "");
        mixes += StoredSave() < 0;
        refused += batch.End() != ERROR_SUCCESS;
        if (waitpid(-1, &status, WNOHANG) > 0) {
            EXPECT_EQ(status, 0) << "writes refused, or the child hung";
            --running;
        }
    }
    EXPECT_EQ(mixes, 0) << "views that were no one save";
    EXPECT_EQ(refused, 0) << "the reader's own writes";
    EXPECT_EQ(IntegrityCheck(home.Store()), "ok");
    EXPECT_EQ(StoredSave() % 1000, kSaves - 1) << "one process's last save is kept";
    EXPECT_TRUE(EntryIsOneSaved());
}

TEST(SettingsStress, KilledMidSaveLeavesOldOrNewValuesAndASoundStore) {
    const testing::TempConfigHome home;
    SaveSettings(Save(0, 0));
    for (int round = 0; round < 50; ++round) {
        const pid_t child = StartSaving(-1, 1000);
        usleep(round * 7919 % 30000);  // from before the first write to well into the saves
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        EXPECT_GE(StoredSave(), 0) << "round " << round;
        EXPECT_TRUE(EntryIsOneSaved()) << "round " << round;
        ASSERT_EQ(IntegrityCheck(home.Store()), "ok") << "round " << round;
    }
}

}  // namespace
}  // namespace brisendale
