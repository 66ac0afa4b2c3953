// Saves of the settings land whole: under a second process saving at the same
// time, under SIGKILL half-way, and through nested or empty batches.
#include "settings/settings_batch.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "platform/registry/registry_api.h"
#include "settings/registry.h"
#include "settings/stored_settings.h"
#include "tests/winreg/temp_config_home.h"

namespace brisendale {
namespace {

using testing::ReadFile;
using testing::TempConfigHome;
using testing::WriteFile;

const char* const kSettings = "Software\\Quorvel\\";

// One save whose three values all carry `mark`, so that a mix of two saves
// shows as values that differ.
void SaveMarked(int mark) {
    SaveSettings(SettingsToSave{static_cast<std::int16_t>(mark), static_cast<std::int16_t>(mark),
                                std::to_string(mark), 0, "/opt", "brisendale"});
}

std::optional<std::int32_t> Stored(const char* name) {
    std::int16_t failed = 0;
    const std::int32_t value = Registry::GetDwordValue(HKEY_LOCAL_MACHINE, kSettings, name, failed);
    if (failed != 0)
        return std::nullopt;
    return value;
}

// The mark of the save the store holds; nothing when the three values are
// not one save's (or cannot be read).
std::optional<std::int32_t> WholeSave() {
    const auto server = Stored("ServerIndex");
    const auto zone = Stored("GMTIndex");
    const auto delay = Stored("Delay");
    if (!server || server != zone || server != delay)
        return std::nullopt;
    return server;
}

// The same, read at one moment while other processes write: holding the
// store's write lock (a batch with a write in it) keeps them out meanwhile.
std::optional<std::int32_t> WholeSaveAtOneMoment() {
    const RegistryBatch batch;
    Registry::SetDwordValue(HKEY_LOCAL_MACHINE, "Software\\QuorvelTest", "Reader", 1);
    return WholeSave();
}

// Delay as another process sees it, read by the reg command.
std::string DelaySeenElsewhere() {
    const std::string command = std::string("'") + BRISENDALE_REG_PATH +
                                "' query 'HKLM\\Software\\Quorvel' /v Delay 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "no process";
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    pclose(pipe);
    const std::size_t hex = output.find("0x");
    return hex == std::string::npos ? "missing" : output.substr(hex, output.find('\n', hex) - hex);
}

TEST(SettingsBatch, TwoProcessesSavingAtOnceNeverMix) {
    TempConfigHome home;
    SaveMarked(1);
    constexpr int kSaves = 100;
    pid_t children[2] = {};
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            for (int save = 1; save <= kSaves; ++save)
                SaveMarked((child + 1) * 1000 + save);
            _exit(0);
        }
    }
    std::mt19937 random(8);
    int reads = 0;
    bool mixed = false;
    int finished = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!mixed && finished < 2 && std::chrono::steady_clock::now() < deadline) {
        mixed = !WholeSaveAtOneMoment().has_value();
        ++reads;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        for (pid_t& pid : children) {
            int status = 0;
            if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                pid = 0;
                ++finished;
            }
        }
    }
    for (pid_t pid : children) {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    ASSERT_FALSE(mixed) << "a mix of two saves after " << reads << " reads";
    ASSERT_EQ(finished, 2) << "the savers did not finish in time";
    const auto last = WholeSave();
    EXPECT_TRUE(last == 1000 + kSaves || last == 2000 + kSaves) << last.value_or(-1);
}

TEST(SettingsBatch, KilledWhileSavingLeavesOneWholeSave) {
    TempConfigHome home;
    SaveMarked(1);
    std::mt19937 random(6);
    for (int round = 0; round < 100; ++round) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int mark = 2; mark < 30000; ++mark)
                SaveMarked(mark);
            _exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        // The store opens (a torn transaction is rolled back) and holds one save.
        ASSERT_TRUE(WholeSave().has_value()) << "round " << round;
    }
}

class Batches : public ::testing::Test {
  protected:
    static LONG SetDelay(std::int32_t delay) {
        HKEY key = nullptr;
        LONG result = RegCreateKeyA(HKEY_LOCAL_MACHINE, kSettings, &key);
        if (result == ERROR_SUCCESS) {
            const auto bits = static_cast<std::uint32_t>(delay);
            const BYTE bytes[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8),
                                   static_cast<BYTE>(bits >> 16), static_cast<BYTE>(bits >> 24)};
            result = RegSetValueExA(key, "Delay", 0, REG_DWORD, bytes, sizeof bytes);
        }
        RegCloseKey(key);
        return result;
    }

    TempConfigHome home_;
};

TEST_F(Batches, NestedLandAtTheOutermostEnd) {
    ASSERT_EQ(SetDelay(2), ERROR_SUCCESS);
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(SetDelay(5), ERROR_SUCCESS);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(Stored("Delay"), 5) << "the batch's own reads see its writes";
    EXPECT_EQ(DelaySeenElsewhere(), "0x2");
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(DelaySeenElsewhere(), "0x5");
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_INVALID_PARAMETER) << "no batch left to end";
}

TEST_F(Batches, WithoutWritesMakeNoStore) {
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(Stored("Delay"), std::nullopt);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(home_.Store()));
}

TEST_F(Batches, DeletingAMissingValueCostsTheBatchNothing) {
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(SetDelay(7), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettings, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "NoSuchValue"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(DelaySeenElsewhere(), "0x7");
}

TEST_F(Batches, BrokenStoreFailsEveryWriteAndStaysUntouched) {
    const std::string garbage(3000, 'x');
    WriteFile(home_.Store(), garbage);
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(SetDelay(5), ERROR_BADDB);
    EXPECT_EQ(SetDelay(6), ERROR_BADDB);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_BADDB);
    EXPECT_EQ(ReadFile(home_.Store()), garbage);
    // The failure belonged to that batch alone.
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
}

}  // namespace
}  // namespace brisendale
