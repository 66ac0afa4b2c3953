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
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/registry/registry_api.h"
#include "settings/logon_command.h"
#include "settings/stored_settings.h"

// Every write the settings code makes, and the end of every group of
// writes, goes through here (see CMakeLists.txt).
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

namespace fs = std::filesystem;

constexpr const char* kSettingsKey = "Software\\Quorvel";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class TempHome {
  public:
    TempHome() {
        std::string pattern = (fs::temp_directory_path() / "brisendale-stress-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
        setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    }
    ~TempHome() {
        unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

SettingsToSave Settings(std::int16_t server, std::int16_t zone, int delay, std::string folder) {
    return SettingsToSave{.serverIndex = server,
                          .zoneIndex = zone,
                          .delayText = std::to_string(delay),
                          .startupCheckValue = 1,
                          .appFolder = std::move(folder),
                          .exeName = "brisendale"};
}

// A REG_DWORD read straight from the store: present, the right type and size.
std::optional<DWORD> RawDword(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG code =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (code != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

std::optional<std::string> LogonEntry() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kRunKey, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char text[1024];
    DWORD type = 0;
    DWORD size = sizeof text;
    const LONG code =
        RegQueryValueExA(key, "Quorvel", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (code != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::string(text, size);
}

// SQLite's own full check of the file, read-only.
std::string IntegrityCheck(const fs::path& store) {
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

// Waits for `child` at most `seconds`, then kills it. Its exit status, or -1.
int WaitWithin(pid_t child, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) != child) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SettingsStress, TwoProcessesSavingAtOnceLoseNoWrite) {
    TempHome home;
    constexpr int kSaves = 100;
    const SettingsToSave last[2] = {Settings(3, 4, 1000 + kSaves - 1, "/opt/one"),
                                    Settings(8, 20, 2000 + kSaves - 1, "/opt/two")};
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2];
    for (int k = 0; k < 2; ++k) {
        children[k] = fork();
        ASSERT_GE(children[k], 0);
        if (children[k] == 0) {
            close(start[1]);
            char go;
            (void)!read(start[0], &go, 1);  // both begin when the parent closes the pipe
            for (int i = 0; i < kSaves; ++i) {
                SettingsToSave settings = last[k];
                settings.delayText = std::to_string((k + 1) * 1000 + i);
                SaveSettings(settings);
            }
            _exit(std::min(refusedWrites.load(), 100));
        }
    }
    close(start[0]);
    close(start[1]);

    for (pid_t child : children)
        EXPECT_EQ(WaitWithin(child, 120), 0) << "writes refused (or the child hung)";

    EXPECT_EQ(IntegrityCheck(home.Path() / "brisendale" / "registry.sqlite3"), "ok");
    // The values are one process's last save, whole: never a stale value,
    // never one process's server with the other's zone.
    const auto server = RawDword("ServerIndex");
    const auto zone = RawDword("GMTIndex");
    const auto delay = RawDword("Delay");
    ASSERT_TRUE(server && zone && delay);
    const auto triple = std::make_tuple(*server, *zone, *delay);
    EXPECT_TRUE(triple == std::make_tuple(3u, 4u, 1099u) ||
                triple == std::make_tuple(8u, 20u, 2099u))
        << *server << " " << *zone << " " << *delay;
    const auto entry = LogonEntry();
    ASSERT_TRUE(entry);
    EXPECT_TRUE(*entry == LogonCommandLine("/opt/one", "brisendale") ||
                *entry == LogonCommandLine("/opt/two", "brisendale"))
        << *entry;
}

TEST(SettingsStress, KilledMidSaveLeavesOldOrNewValuesAndASoundStore) {
    TempHome home;
    const SettingsToSave sets[2] = {Settings(3, 4, 111, "/opt/old"),
                                    Settings(8, 20, 2222, "/opt/new")};
    const std::set<std::string> entries = {LogonCommandLine("/opt/old", "brisendale"),
                                           LogonCommandLine("/opt/new", "brisendale")};
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
        const auto server = RawDword("ServerIndex");
        const auto zone = RawDword("GMTIndex");
        const auto delay = RawDword("Delay");
        ASSERT_TRUE(server && zone && delay) << "round " << round;
        const auto triple = std::make_tuple(*server, *zone, *delay);
        EXPECT_TRUE(triple == std::make_tuple(3u, 4u, 111u) ||
                    triple == std::make_tuple(8u, 20u, 2222u))
            << "round " << round << ": " << *server << " " << *zone << " " << *delay;
        const auto entry = LogonEntry();
        ASSERT_TRUE(entry) << "round " << round;
        EXPECT_EQ(entries.count(*entry), 1u) << "round " << round << ": " << *entry;
        ASSERT_EQ(IntegrityCheck(home.Path() / "brisendale" / "registry.sqlite3"), "ok")
            << "round " << round;
    }
    // The reads above went through the settings code as a start would.
    EXPECT_TRUE(ReadDelay() == 111 || ReadDelay() == 2222);
}

}  // namespace
}  // namespace brisendale
