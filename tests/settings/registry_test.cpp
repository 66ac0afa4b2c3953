// The registry reads through the registry API: natively our stand-in, in the
// cross build (tests/windows) Wine's advapi32 in the real HKLM.
#include "settings/registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/raw_registry.h"
#ifndef _WIN32
#include "tests/support/temp_config_home.h"
#endif

namespace brisendale {
namespace {

using namespace std::string_literals;

const char kPath[] = "Software\\Quorvel\\";

#ifdef _WIN32
// One Wine prefix holds one registry for all tests: clear our keys around each.
struct CleanRegistry {
    CleanRegistry() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPath); }
    ~CleanRegistry() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPath); }
};
#else
using CleanRegistry = testing::TempConfigHome;
#endif

// A failed DWORD read sets the flag to -1 and any other leaves it; the text read sets it.
TEST(RegistryReads, ResultAndFlag) {
    struct Row {
        const char* storedAs;  // the stored value's name; nullptr: no key at all
        DWORD type;
        std::string bytes;
        std::int32_t number;
        bool numberFails;
        std::string text;
        std::int16_t textFlag;
    };
    const Row rows[] = {
        {nullptr, 0, "", 0, true, "", -1},
        {"OtherValue", REG_DWORD, "\1\0\0\0"s, 0, true, "", -1},
        {"V", REG_DWORD, "\x01\x02\x03\x84", static_cast<std::int32_t>(0x84030201u), false, "", 0},
        {"V", REG_DWORD, "\x01\x02", 0x0201, false, "", 0},
        {"V", REG_SZ, "7\0"s, 0, false, "7", 0},
        {"V", REG_SZ, "ab\0cd"s, 0, true, "ab", 0},
        {"V", REG_EXPAND_SZ, "x\0"s, 0, false, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        CleanRegistry clean;
        if (row.storedAs)
            testing::StoreRaw(kPath, row.storedAs, row.type, row.bytes);
        for (const std::int16_t before : {0, -1}) {
            std::int16_t flag = before;
            EXPECT_EQ(Registry::GetDwordValue(HKEY_LOCAL_MACHINE, kPath, "V", flag), row.number);
            EXPECT_EQ(flag, row.numberFails ? -1 : before);
        }
        std::int16_t flag = 5;
        EXPECT_EQ(Registry::GetStringValue(HKEY_LOCAL_MACHINE, kPath, "V", flag), row.text);
        EXPECT_EQ(flag, row.textFlag);
    }
}

}  // namespace
}  // namespace brisendale
