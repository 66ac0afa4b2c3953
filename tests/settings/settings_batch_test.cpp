// Batches of store writes: nested, empty, with a failed delete, on a broken
// store. (Concurrent and killed savers are in the stress tests.)
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/registry/registry_api.h"
#include "settings/registry.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using testing::ReadFile;
using testing::TempConfigHome;
using testing::WriteFile;

const char* const kSettings = "Software\\Quorvel\\";

std::optional<std::int32_t> Stored(const char* name) {
    std::int16_t failed = 0;
    const std::int32_t value = Registry::GetDwordValue(HKEY_LOCAL_MACHINE, kSettings, name, failed);
    if (failed != 0)
        return std::nullopt;
    return value;
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
