// The registry routines through the registry API: natively our stand-in, in
// the cross build (tests/windows) Wine's advapi32 in the real HKLM.
#include "settings/registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry/ansi_text.h"
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
    CleanRegistry() { Reset(); }
    ~CleanRegistry() { Reset(); }
    static void Reset() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPath); }
};
#else
using CleanRegistry = testing::TempConfigHome;
#endif

struct Raw {
    DWORD type;
    std::string bytes;
    bool operator==(const Raw&) const = default;
};

// What the value holds, read past the routines; nothing when it is missing.
std::optional<Raw> Stored(const char* path, const char* name) {
    testing::RawValue raw = testing::ReadRaw(path, name);
    if (raw.result != ERROR_SUCCESS)
        return std::nullopt;
    // Windows adds a NUL to a text stored without one; it is not the routines'.
    if (raw.type == REG_SZ && raw.data.ends_with('\0'))
        raw.data.pop_back();
    return Raw{raw.type, raw.data};
}

// A failed DWORD read sets the flag to -1, else leaves it; the text read sets it.
struct ReadRow {
    const char* name;
    const char* storedAs;  // the stored value's name; nullptr: no key at all
    Raw stored;
    std::int32_t number;
    bool numberFails;
    std::string text;
    std::int16_t textFlag;
};

TEST(RegistryReads, ResultAndFlag) {
    const ReadRow rows[] = {
        {"NoKey", nullptr, {}, 0, true, "", -1},
        {"OtherValueOnly", "W", {REG_DWORD, "\1\0\0\0"s}, 0, true, "", -1},
        {"LittleEndianSigned",
         "V",
         {REG_DWORD, "\x01\x02\x03\x84"},
         static_cast<std::int32_t>(0x84030201u),
         false,
         "",
         0},
        {"TextThatFits", "V", {REG_SZ, "7\0"s}, 0, false, "7", 0},
        {"TextCutAtTheFirstNul", "V", {REG_SZ, "ab\0cd"s}, 0, true, "ab", 0},
        {"EmptyText", "V", {REG_SZ, ""}, 0, false, "", 0},
        {"ExpandableTextIsNotText", "V", {REG_EXPAND_SZ, "x\0"s}, 0, false, "", 0},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.name);
        CleanRegistry clean;
        if (row.storedAs)
            testing::StoreRaw(kPath, row.storedAs, row.stored.type, row.stored.bytes);
        for (const std::int16_t before : {std::int16_t{0}, std::int16_t{-1}}) {
            std::int16_t flag = before;
            EXPECT_EQ(Registry::GetDwordValue(HKEY_LOCAL_MACHINE, kPath, "V", flag), row.number);
            EXPECT_EQ(flag, row.numberFails ? -1 : before);
        }
        std::int16_t flag = 5;
        EXPECT_EQ(Registry::GetStringValue(HKEY_LOCAL_MACHINE, kPath, "V", flag), row.text);
        EXPECT_EQ(flag, row.textFlag);
    }
}

TEST(RegistryWrites, StoreExactlyTheirDataUnderNewKeys) {
    CleanRegistry clean;
    const char deep[] = "Software\\Quorvel\\X\\Y\\";
    Registry::SetDwordValue(HKEY_LOCAL_MACHINE, deep, "D", -2);
    EXPECT_EQ(Stored(deep, "D"), (Raw{REG_DWORD, "\xFE\xFF\xFF\xFF"}));
    // Three characters in five bytes: sized by characters, it would lose its end.
    for (const std::string text : {"", "abc", "\xC3\xA9t\xC3\xA9"}) {
        Registry::SetStringValue(HKEY_LOCAL_MACHINE, deep, "S", text);
        EXPECT_EQ(Stored(deep, "S"), (Raw{REG_SZ, ToAnsi(text)})) << text;
    }
}

TEST(RegistryWrites, DeleteRemovesOneValueAndMakesNoKey) {
    CleanRegistry clean;
    testing::StoreRaw(kPath, "Keep", REG_SZ, "k");
    testing::StoreRaw(kPath, "Gone", REG_SZ, "g");
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, kPath, "Gone");
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, "Software\\Quorvel\\Missing\\", "V");
    EXPECT_TRUE(Stored(kPath, "Keep"));
    EXPECT_FALSE(Stored(kPath, "Gone"));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Quorvel\\Missing\\", &key), ERROR_SUCCESS);
}

}  // namespace
}  // namespace brisendale
