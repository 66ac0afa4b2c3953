// The settings store under two writers at once and under a writer killed at
// any instant. A save writes the three values as one group, then the logon
// entry on its own; what must hold is that no write is ever refused or lost
// to the other writer, that the three values always come from one and the
// same save, that the entry is always one a save wrote whole, and that the
// store always opens.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <tuple>

#include "platform/registry/registry_api.h"
#include "settings/logon_command.h"
#include "settings/settings_batch.h"
#include "settings/stored_settings.h"
#include "tests/support/temp_config_home.h"

// Every write, and the end of every group of writes, goes through here (see
// CMakeLists.txt): the settings code ignores a refused write by design, so
// only this count shows one.
static std::atomic<int> refusedWrites{0};

extern "C" LONG __real_RegSetValueExA(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);
extern "C" LONG __wrap_RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                      const BYTE* data, DWORD size) {
    const LONG result = __real_RegSetValueExA(key, name, reserved, type, data, size);
    if (result != ERROR_SUCCESS)
        ++refusedWrites;
    return result;
}

extern "C" LONG __real_RegEndBatchPOSIX(void);
extern "C" LONG __wrap_RegEndBatchPOSIX(void) {
    const LONG result = __real_RegEndBatchPOSIX();
    if (result != ERROR_SUCCESS)
        ++refusedWrites;
    return result;
}

namespace brisendale {
namespace {

using testing::TempConfigHome;

constexpr const char* kSettingsKey = "Software\\Quorvel";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

SettingsToSave Settings(int server, int zone, int delay, std::string folder) {
    return SettingsToSave{.serverIndex = static_cast<std::int16_t>(server),
                          .zoneIndex = static_cast<std::int16_t>(zone),
                          .delayText = std::to_string(delay),
                          .startupCheckValue = 1,
                          .appFolder = std::move(folder),
                          .exeName = "brisendale"};
}

// A value read straight from the store: present, of the right type and size.
std::optional<std::string> Raw(const char* path, const char* name, DWORD wantedType) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char data[1024];
    DWORD type = 0;
    DWORD size = sizeof data;
    const LONG code =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (code != ERROR_SUCCESS || type != wantedType)
        return std::nullopt;
    return std::string(data, size);
}

// Server, zone and delay as stored; nothing unless all three read whole.
std::optional<std::tuple<DWORD, DWORD, DWORD>> StoredTriple() {
    DWORD values[3];
    const char* names[3] = {"ServerIndex", "GMTIndex", "Delay"};
    for (int i = 0; i < 3; ++i) {
        const auto raw = Raw(kSettingsKey, names[i], REG_DWORD);
        if (!raw || raw->size() != sizeof(DWORD))
            return std::nullopt;
        std::copy(raw->begin(), raw->end(), reinterpret_cast<char*>(&values[i]));
    }
    return std::make_tuple(values[0], values[1], values[2]);
}

// One plain write under the settings key, its name as its text.
void WriteAlone(const std::string& name) {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, &key);
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(name.data()),
                   static_cast<DWORD>(name.size()));
    RegCloseKey(key);
}

// The three values read at one moment while other processes write: holding
// the store's write lock (a batch with a write in it) keeps them out meanwhile.
std::optional<std::tuple<DWORD, DWORD, DWORD>> StoredTripleAtOneMoment() {
    const RegistryBatch batch;
    WriteAlone("Reader");
    return StoredTriple();
}

// SQLite's own full check of the file, read-only.
std::string IntegrityCheck(const std::filesystem::path& store) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* check = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK &&
            sqlite3_step(check) == SQLITE_ROW) {
            result = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
        }
        sqlite3_finalize(check);
    }
    sqlite3_close(db);
    return result;
}

TEST(SettingsStress, TwoProcessesSavingAtOnceLoseNoWriteAndNeverMix) {
    TempConfigHome home;
    constexpr int kSaves = 100;
    // Save i of process k stores k's server and zone with delay k*1000+i.
    const SettingsToSave sets[2] = {Settings(3, 4, 1000, "/opt/one"),
                                    Settings(8, 20, 2000, "/opt/two")};
    SaveSettings(sets[0]);
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2] = {};
    for (int k = 0; k < 2; ++k) {
        children[k] = fork();
        ASSERT_GE(children[k], 0);
        if (children[k] == 0) {
            close(start[1]);
            char go;
            (void)!read(start[0], &go, 1);  // both begin when the parent closes the pipe
            alarm(60);
            for (int i = 0; i < kSaves; ++i) {
                SettingsToSave settings = sets[k];
                settings.delayText = std::to_string((k + 1) * 1000 + i);
                SaveSettings(settings);
                WriteAlone("P" + std::to_string(k) + "_" + std::to_string(i));
            }
            _exit(std::min(refusedWrites.load(), 100));
        }
    }
    close(start[0]);
    close(start[1]);

    // Meanwhile, every moment's view is one save whole: one process's server
    // and zone with a delay that process wrote.
    const auto isOneSave = [](const auto& triple) {
        if (!triple)
            return false;
        const auto [server, zone, delay] = *triple;
        return (server == 3 && zone == 4 && delay / 1000 == 1) ||
               (server == 8 && zone == 20 && delay / 1000 == 2);
    };
    std::mt19937 random(8);
    int mixes = 0;
    int running = 2;
    while (running > 0) {
        mixes += isOneSave(StoredTripleAtOneMoment()) ? 0 : 1;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        for (pid_t& child : children) {
            int status = 0;
            if (child > 0 && waitpid(child, &status, WNOHANG) == child) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                    << "writes refused (or the child hung)";
                child = 0;
                --running;
            }
        }
    }
    EXPECT_EQ(mixes, 0) << "views that were no one save";
    EXPECT_EQ(refusedWrites.load(), 0) << "the reader's own writes";

    EXPECT_EQ(IntegrityCheck(home.Store()), "ok");
    // Every write of both landed, and the values are one process's last save
    // whole: never a stale one.
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < kSaves; ++i) {
            const std::string name = "P" + std::to_string(k) + "_" + std::to_string(i);
            EXPECT_EQ(Raw(kSettingsKey, name.c_str(), REG_SZ), name);
        }
    }
    const auto last = StoredTriple();
    ASSERT_TRUE(last);
    EXPECT_TRUE(*last == std::make_tuple(3u, 4u, 1000u + kSaves - 1) ||
                *last == std::make_tuple(8u, 20u, 2000u + kSaves - 1))
        << std::get<0>(*last) << " " << std::get<1>(*last) << " " << std::get<2>(*last);
    const auto entry = Raw(kRunKey, "Quorvel", REG_SZ);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(*entry == LogonCommandLine("/opt/one", "brisendale") ||
                *entry == LogonCommandLine("/opt/two", "brisendale"))
        << *entry;
}

TEST(SettingsStress, KilledMidSaveLeavesOldOrNewValuesAndASoundStore) {
    TempConfigHome home;
    const SettingsToSave sets[2] = {Settings(3, 4, 111, "/opt/old"),
                                    Settings(8, 20, 2222, "/opt/new")};
    SaveSettings(sets[0]);
    ASSERT_EQ(refusedWrites.load(), 0);

    for (int round = 0; round < 100; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(20);
            for (int i = 1;; ++i)
                SaveSettings(sets[i % 2]);
        }
        // A different instant in each round, from before the first write to
        // well inside the loop of saves.
        std::this_thread::sleep_for(std::chrono::microseconds((round * 7919) % 30000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;

        // The next start reads the store as the program does; it must open
        // and give each value whole, old or new.
        const auto triple = StoredTriple();
        EXPECT_TRUE(triple == std::make_tuple(3u, 4u, 111u) ||
                    triple == std::make_tuple(8u, 20u, 2222u))
            << "round " << round;
        const auto entry = Raw(kRunKey, "Quorvel", REG_SZ);
        EXPECT_TRUE(entry == LogonCommandLine("/opt/old", "brisendale") ||
                    entry == LogonCommandLine("/opt/new", "brisendale"))
            << "round " << round << ": " << entry.value_or("(none)");
        ASSERT_EQ(IntegrityCheck(home.Store()), "ok") << "round " << round;
    }
    // The settings code itself reads the store after the last kill.
    EXPECT_TRUE(ReadDelay() == 111 || ReadDelay() == 2222);
}

}  // namespace
}  // namespace brisendale
