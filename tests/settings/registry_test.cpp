// The registry routines, and what a save leaves in the registry, through the
// registry API: natively our stand-in in a temporary folder; in the cross
// build (tests/windows) Wine's advapi32 in the real keys of HKEY_LOCAL_MACHINE.
#include "settings/registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry/ansi_text.h"
#include "settings/logon_command.h"
#include "settings/stored_settings.h"
#ifndef _WIN32
#include "tests/support/temp_config_home.h"
#endif

namespace brisendale {
namespace {

using namespace std::string_literals;

const char kPath[] = "Software\\Quorvel\\";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";

#ifdef _WIN32
// One Wine prefix holds one registry for all tests: clear our keys around each.
struct CleanRegistry {
    CleanRegistry() { Reset(); }
    ~CleanRegistry() { Reset(); }
    static void Reset() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPath);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRun, "Quorvel");
    }
};
#else
using CleanRegistry = testing::TempConfigHome;
#endif

struct Raw {
    DWORD type;
    std::string bytes;
    bool operator==(const Raw&) const = default;
};

// Straight through the API, past the routines: stores `store` when given, then
// returns what the value holds, or nothing when the key or value is missing.
std::optional<Raw> RawValue(const char* path, const char* name,
                            const std::optional<Raw>& store = std::nullopt) {
    HKEY key = nullptr;
    LONG result = store ? RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key)
                        : RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key);
    if (result == ERROR_SUCCESS && store)
        result = RegSetValueExA(key, name, 0, store->type,
                                reinterpret_cast<const BYTE*>(store->bytes.data()),
                                static_cast<DWORD>(store->bytes.size()));
    Raw raw{0, std::string(512, '\0')};
    DWORD size = 512;
    if (result == ERROR_SUCCESS)
        result = RegQueryValueExA(key, name, nullptr, &raw.type,
                                  reinterpret_cast<BYTE*>(raw.bytes.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    raw.bytes.resize(size);
    // Windows adds a NUL to a text stored without one; the routines never
    // store one, so it is not theirs.
    if (raw.type == REG_SZ && !raw.bytes.empty() && raw.bytes.back() == '\0')
        raw.bytes.pop_back();
    return raw;
}

// Both reads of each stored value. The DWORD read sets the flag to -1 when it
// fails and otherwise leaves what the flag held; the text read always sets it.
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
            RawValue(kPath, row.storedAs, row.stored);
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
    EXPECT_EQ(RawValue(deep, "D"), (Raw{REG_DWORD, "\xFE\xFF\xFF\xFF"}));
    // Three characters in five bytes: sized by characters, it would lose its end.
    for (const std::string text : {"", "abc", "\xC3\xA9t\xC3\xA9"}) {
        Registry::SetStringValue(HKEY_LOCAL_MACHINE, deep, "S", text);
        EXPECT_EQ(RawValue(deep, "S"), (Raw{REG_SZ, ToAnsi(text)})) << text;
    }
}

TEST(RegistryWrites, DeleteRemovesOneValueAndMakesNoKey) {
    CleanRegistry clean;
    RawValue(kPath, "Keep", Raw{REG_SZ, "k"});
    RawValue(kPath, "Gone", Raw{REG_SZ, "g"});
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, kPath, "Gone");
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, "Software\\Quorvel\\Missing\\", "V");
    EXPECT_TRUE(RawValue(kPath, "Keep"));
    EXPECT_FALSE(RawValue(kPath, "Gone"));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Quorvel\\Missing\\", &key), ERROR_SUCCESS);
}

// Three REG_DWORDs, and the logon entry only while the box is checked (1).
TEST(SavedSettings, AreDwordsWithALogonEntryWhileChecked) {
    CleanRegistry clean;
    const std::string command = LogonCommandLine("/opt/Apps", "ClockSet");
    for (const int check : {1, 2, 1, 0}) {
        SCOPED_TRACE(check);
        SaveSettings({11, 24, "30", check, "/opt/Apps", "ClockSet"});
        EXPECT_EQ(RawValue(kPath, "ServerIndex"), (Raw{REG_DWORD, "\x0B\0\0\0"s}));
        EXPECT_EQ(RawValue(kPath, "GMTIndex"), (Raw{REG_DWORD, "\x18\0\0\0"s}));
        EXPECT_EQ(RawValue(kPath, "Delay"), (Raw{REG_DWORD, "\x1E\0\0\0"s}));
        EXPECT_EQ(RawValue(kRun, "Quorvel"),
                  check == 1 ? std::optional(Raw{REG_SZ, command}) : std::nullopt);
        EXPECT_EQ(ReadLogonEntryExists(), check == 1);
    }
}

}  // namespace
}  // namespace brisendale
