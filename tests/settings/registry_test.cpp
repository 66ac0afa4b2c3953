// Registry reads through the API: the stand-in natively, Wine's advapi32 in tests/windows.
#include "settings/registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

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
    // Stored value (name, null: no key; type; bytes), then each read of "V"; nothing: it fails.
    const std::tuple<const char*, DWORD, std::string, std::optional<std::int32_t>,
                     std::optional<std::string>>
        rows[] = {
            {nullptr, 0, "", {}, {}},
            {"OtherValue", REG_DWORD, "\1\0\0\0"s, {}, {}},
            {"V", REG_DWORD, "\x01\x02\x03\x84", static_cast<std::int32_t>(0x84030201u), ""},
            {"V", REG_DWORD, "\x01\x02", 0x0201, ""},
            {"V", REG_SZ, "7\0"s, 0, "7"},
            {"V", REG_SZ, "ab\0cd"s, {}, "ab"},
            {"V", REG_EXPAND_SZ, "x\0"s, 0, ""},
        };
    for (const auto& [storedAs, type, bytes, number, text] : rows) {
        SCOPED_TRACE(bytes);
        CleanRegistry clean;
        if (storedAs)
            testing::StoreRaw(kPath, storedAs, type, bytes);
        for (const std::int16_t before : {0, -1}) {
            std::int16_t flag = before;
            EXPECT_EQ(Registry::GetDwordValue(HKEY_LOCAL_MACHINE, kPath, "V", flag),
                      number.value_or(0));
            EXPECT_EQ(flag, number ? before : -1);
        }
        std::int16_t flag = 5;
        EXPECT_EQ(Registry::GetStringValue(HKEY_LOCAL_MACHINE, kPath, "V", flag),
                  text.value_or(""));
        EXPECT_EQ(flag, text ? 0 : -1);
    }
}

}  // namespace
}  // namespace brisendale
