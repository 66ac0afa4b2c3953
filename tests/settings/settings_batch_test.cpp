// Nested batches of store writes (failing ones: tests/winreg; concurrent and
// killed savers: the stress tests).
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/raw_registry.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using namespace testing;

// What another process sees of the key, read by the reg command.
std::string SeenElsewhere() {
    FILE* pipe = popen("'" BRISENDALE_REG_PATH "' query 'HKLM\\Software\\Quorvel' 2>&1", "r");
    std::string output(1024, '\0');
    output.resize(std::fread(output.data(), 1, output.size(), pipe));
    pclose(pipe);
    return output;
}

LONG SetDelay(std::uint32_t delay) {
    return StoreRaw("Software\\Quorvel", "Delay", REG_DWORD, DwordBytes(delay));
}

TEST(Batches, NestedWritesLandTogetherAtTheOutermostEnd) {
    TempConfigHome home;
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(ReadRaw("Software\\Quorvel", "Delay"), Failed(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(home.Store())) << "a batch without writes made a store";
    ASSERT_EQ(SetDelay(2), ERROR_SUCCESS);
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(SetDelay(5), ERROR_SUCCESS);
    // A delete that finds nothing changed nothing: it costs the batch nothing.
    EXPECT_EQ(RegDeleteValueA(HKEY_LOCAL_MACHINE, "NoSuchValue"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(ReadRaw("Software\\Quorvel", "Delay"), DwordBytes(5)) << "it sees its own writes";
    EXPECT_NE(SeenElsewhere().find("Delay    REG_DWORD    0x2\n"), std::string::npos);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_NE(SeenElsewhere().find("Delay    REG_DWORD    0x5\n"), std::string::npos);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_INVALID_PARAMETER) << "no batch left to end";
}

}  // namespace
}  // namespace brisendale
