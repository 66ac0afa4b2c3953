// The registry routines and the stored settings against Wine's advapi32, a
// real implementation of the Windows registry, in the real keys under
// HKEY_LOCAL_MACHINE. Each test starts from a registry without them; the
// tests of this folder take a lock in CTest, so no two run at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/runtime/ascii_case.h"
#include "platform/runtime/wide_text_windows.h"
#include "settings/logon_command.h"
#include "settings/registry.h"
#include "settings/stored_settings.h"

namespace brisendale {
namespace {

const char kSettingsPath[] = "Software\\Quorvel\\";
const char kRunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";

// Raw access, straight to the API, to set up and inspect what the routines
// did without going through them.
struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

void RawSet(const char* path, const char* name, DWORD type, const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

RawValue RawGet(const char* path, const char* name) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        value.found = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) ==
                      ERROR_SUCCESS;
        value.data.resize(size);
    }
    RegCloseKey(key);
    return value;
}

// The text as the registry itself holds it, in UTF-16: what a program that
// uses the "W" functions, or regedit, would see.
std::wstring RawGetWide(const wchar_t* path, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return L"(no key)";
    }
    DWORD type = 0;
    DWORD size = 0;
    std::wstring text = L"(no value)";
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> bytes(size);
        RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size);
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), size / sizeof(wchar_t));
    }
    RegCloseKey(key);
    return text;
}

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::vector<BYTE> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// The routines count no NUL when they write a text; the API itself adds one
// when the byte after the counted data is a NUL (Windows NT does this too), so
// a stored text may carry it. Nothing else may be there.
std::vector<BYTE> WithoutApiNul(std::vector<BYTE> data) {
    if (!data.empty() && data.back() == 0) {
        data.pop_back();
    }
    return data;
}

std::vector<BYTE> Dword(std::uint32_t bits) {
    return {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
            static_cast<BYTE>(bits >> 24)};
}

// Removes the settings key and the logon entry, as on a machine that never
// ran the program.
void ResetRegistry() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsPath);
    HKEY run = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunPath, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "Quorvel");
        RegCloseKey(run);
    }
}

class WineRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        // Wine's default ANSI code page for an English locale; the texts
        // below are written in it.
        ASSERT_EQ(GetACP(), 1252u) << "run under Wine with LANG=en_US.UTF-8";
        ResetRegistry();
    }
    void TearDown() override { ResetRegistry(); }
};

struct DwordReadRow {
    const char* label;
    std::function<void()> store;  // what is in the registry before the read
    std::int32_t result;
    bool fails;  // the flag becomes -1; otherwise it keeps the caller's value
};

TEST_F(WineRegistry, GetDwordValueRows) {
    const std::vector<DwordReadRow> rows = {
        {"no key", [] {}, 0, true},
        {"no value", [] { RawSet(kSettingsPath, "Other", REG_DWORD, Dword(1)); }, 0, true},
        {"dword 11", [] { RawSet(kSettingsPath, "V", REG_DWORD, Dword(11)); }, 11, false},
        {"dword 0xFFFFFFFF is -1",
         [] { RawSet(kSettingsPath, "V", REG_DWORD, Dword(0xFFFFFFFFu)); }, -1, false},
        {"dword 0x80000000", [] { RawSet(kSettingsPath, "V", REG_DWORD, Dword(0x80000000u)); },
         INT32_MIN, false},
        {"text \"7\" with its NUL fits: 0",
         [] { RawSet(kSettingsPath, "V", REG_SZ, Bytes(std::string("7\0", 2))); }, 0, false},
        {"text of five bytes does not fit",
         [] { RawSet(kSettingsPath, "V", REG_SZ, Bytes(std::string("1234\0", 5))); }, 0, true},
        {"binary of four bytes: 0", [] { RawSet(kSettingsPath, "V", REG_BINARY, Dword(5)); }, 0,
         false},
        {"binary of eight bytes does not fit",
         [] { RawSet(kSettingsPath, "V", REG_BINARY, std::vector<BYTE>(8, 1)); }, 0, true},
    };
    for (const DwordReadRow& row : rows) {
        ResetRegistry();
        row.store();
        for (const std::int16_t before : {std::int16_t{0}, std::int16_t{-1}}) {
            std::int16_t flag = before;
            EXPECT_EQ(Registry::GetDwordValue(HKEY_LOCAL_MACHINE, kSettingsPath, "V", flag),
                      row.result)
                << row.label;
            EXPECT_EQ(flag, row.fails ? -1 : before) << row.label << ", flag before " << before;
        }
    }
}

TEST_F(WineRegistry, SetDwordValueCreatesMissingKeysAndStoresFourLittleEndianBytes) {
    const char deep[] = "Software\\Quorvel\\Deeper\\Still\\";
    ASSERT_FALSE(KeyExists(kSettingsPath));
    Registry::SetDwordValue(HKEY_LOCAL_MACHINE, deep, "V", -2);
    const RawValue stored = RawGet(deep, "V");
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored.data, Dword(0xFFFFFFFEu));

    std::int16_t flag = 0;
    EXPECT_EQ(Registry::GetDwordValue(HKEY_LOCAL_MACHINE, deep, "V", flag), -2);
    EXPECT_EQ(flag, 0);
}

struct StringReadRow {
    const char* label;
    std::function<void()> store;
    std::string result;  // UTF-8
    std::int16_t flag;   // from a flag of 5 before the read, which every path overwrites
};

TEST_F(WineRegistry, GetStringValueRows) {
    const std::vector<StringReadRow> rows = {
        {"no key", [] {}, "", -1},
        {"no value", [] { RawSet(kSettingsPath, "Other", REG_SZ, Bytes("x")); }, "", -1},
        {"stored without NUL reads whole", [] { RawSet(kSettingsPath, "V", REG_SZ, Bytes("abc")); },
         "abc", 0},
        {"stored with NUL",
         [] { RawSet(kSettingsPath, "V", REG_SZ, Bytes(std::string("abc\0", 4))); }, "abc", 0},
        {"cut at the first NUL",
         [] { RawSet(kSettingsPath, "V", REG_SZ, Bytes(std::string("ab\0cd", 5))); }, "ab", 0},
        {"empty", [] { RawSet(kSettingsPath, "V", REG_SZ, {}); }, "", 0},
        {"expandable text is not read",
         [] { RawSet(kSettingsPath, "V", REG_EXPAND_SZ, Bytes(std::string("x\0", 2))); }, "", 0},
        {"multi-text is not read",
         [] { RawSet(kSettingsPath, "V", REG_MULTI_SZ, Bytes(std::string("x\0\0", 3))); }, "", 0},
        {"dword is not read", [] { RawSet(kSettingsPath, "V", REG_DWORD, Dword(7)); }, "", 0},
        {"ANSI bytes come back as UTF-8",
         [] { RawSet(kSettingsPath, "V", REG_SZ, Bytes("Z\xFCrich \x80 5")); },
         "Z\xC3\xBCrich \xE2\x82\xAC 5", 0},
    };
    for (const StringReadRow& row : rows) {
        ResetRegistry();
        row.store();
        std::int16_t flag = 5;
        EXPECT_EQ(Registry::GetStringValue(HKEY_LOCAL_MACHINE, kSettingsPath, "V", flag),
                  row.result)
            << row.label;
        EXPECT_EQ(flag, row.flag) << row.label;
    }
}

struct StringWriteRow {
    const char* label;
    std::string text;       // UTF-8, as the program holds it
    std::string ansiBytes;  // what the registry's "A" view must hold
    std::wstring wide;      // what the registry holds, seen through the "W" view
    std::string readBack;   // what GetStringValue returns
};

TEST_F(WineRegistry, SetStringValueStoresAnsiWithoutNulAndReadsBack) {
    const std::vector<StringWriteRow> rows = {
        {"plain", "abc", "abc", L"abc", "abc"},
        {"empty", "", "", L"", ""},
        {"non-ASCII in code page 1252", "Z\xC3\xBCrich \xE2\x82\xAC 5", "Z\xFCrich \x80 5",
         L"Z\u00FCrich \u20AC 5", "Z\xC3\xBCrich \xE2\x82\xAC 5"},
        // No letter of 1252 comes near it: the default character stands in.
        {"outside the code page", "\xE6\x97\xA5", "?", L"?", "?"},
    };
    for (const StringWriteRow& row : rows) {
        ResetRegistry();
        Registry::SetStringValue(HKEY_LOCAL_MACHINE, kSettingsPath, "V", row.text);
        const RawValue stored = RawGet(kSettingsPath, "V");
        ASSERT_TRUE(stored.found) << row.label;
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ)) << row.label;
        EXPECT_EQ(WithoutApiNul(stored.data), Bytes(row.ansiBytes)) << row.label;
        std::wstring wide = RawGetWide(L"Software\\Quorvel\\", L"V");
        if (!wide.empty() && wide.back() == L'\0') {
            wide.pop_back();
        }
        EXPECT_EQ(wide, row.wide) << row.label;

        std::int16_t flag = -1;
        EXPECT_EQ(Registry::GetStringValue(HKEY_LOCAL_MACHINE, kSettingsPath, "V", flag),
                  row.readBack)
            << row.label;
        EXPECT_EQ(flag, 0) << row.label;
    }
}

TEST_F(WineRegistry, NonAsciiKeyNameGoesThroughTheCodePage) {
    Registry::SetDwordValue(HKEY_LOCAL_MACHINE, "Software\\Quorvel\\Caf\xC3\xA9\\", "V", 3);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Quorvel\\Caf\u00E9", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(WineRegistry, DeleteValueRemovesAndIgnoresWhatIsMissing) {
    RawSet(kSettingsPath, "V", REG_DWORD, Dword(1));
    RawSet(kSettingsPath, "Keep", REG_DWORD, Dword(2));
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, kSettingsPath, "V");
    EXPECT_FALSE(RawGet(kSettingsPath, "V").found);
    EXPECT_TRUE(RawGet(kSettingsPath, "Keep").found);

    // Again, and in a key that does not exist: nothing happens, nothing is made.
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, kSettingsPath, "V");
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, "Software\\Quorvel\\Missing\\", "V");
    EXPECT_FALSE(KeyExists("Software\\Quorvel\\Missing\\"));
    EXPECT_TRUE(RawGet(kSettingsPath, "Keep").found);
}

// --- Stored settings and the logon entry in the real keys ------------------

TEST_F(WineRegistry, NoSettingsKeyGivesTheDefaults) {
    EXPECT_EQ(ReadServerIndex(), 0);
    EXPECT_EQ(ReadZoneIndex(), 7);
    EXPECT_EQ(ReadDelay(), 2);
    EXPECT_FALSE(ReadLogonEntryExists());
}

struct LoadRow {
    const char* label;
    std::function<void()> store;
    std::int16_t server;
    std::int16_t zone;
    std::int32_t delay;
};

void StoreAll(std::uint32_t server, std::uint32_t zone, std::uint32_t delay) {
    RawSet(kSettingsPath, "ServerIndex", REG_DWORD, Dword(server));
    RawSet(kSettingsPath, "GMTIndex", REG_DWORD, Dword(zone));
    RawSet(kSettingsPath, "Delay", REG_DWORD, Dword(delay));
}

TEST_F(WineRegistry, LoadingRangesAndDefaults) {
    const std::vector<LoadRow> rows = {
        {"upper edges", [] { StoreAll(11, 24, 9999); }, 11, 24, 9999},
        {"lower edges", [] { StoreAll(0, 0, 1); }, 0, 0, 1},
        {"just beyond", [] { StoreAll(12, 25, 10000); }, 0, 7, 2},
        {"0xFFFFFFFF reads as -1", [] { StoreAll(0xFFFFFFFFu, 0xFFFFFFFFu, 0); }, 0, 7, 2},
        {"names in another case",
         [] { RawSet("SOFTWARE\\QUORVEL", "serverindex", REG_DWORD, Dword(4)); }, 4, 7, 2},
        {"zone stored as the text 7 reads as 0",
         [] {
             StoreAll(5, 13, 30);
             RawSet(kSettingsPath, "GMTIndex", REG_SZ, Bytes(std::string("7\0", 2)));
         },
         5, 0, 30},
    };
    for (const LoadRow& row : rows) {
        ResetRegistry();
        row.store();
        EXPECT_EQ(ReadServerIndex(), row.server) << row.label;
        EXPECT_EQ(ReadZoneIndex(), row.zone) << row.label;
        EXPECT_EQ(ReadDelay(), row.delay) << row.label;
    }
}

TEST_F(WineRegistry, SavedSettingsAreRegDwordsAndReadBack) {
    SaveSettings({11, 24, "3.5", 0, "C:\\Apps", "ClockSet"});
    struct Row {
        const char* name;
        std::uint32_t value;
    };
    for (const Row& row : {Row{"ServerIndex", 11}, Row{"GMTIndex", 24}, Row{"Delay", 4}}) {
        const RawValue stored = RawGet(kSettingsPath, row.name);
        ASSERT_TRUE(stored.found) << row.name;
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD)) << row.name;
        EXPECT_EQ(stored.data, Dword(row.value)) << row.name;
    }
    EXPECT_EQ(ReadServerIndex(), 11);
    EXPECT_EQ(ReadZoneIndex(), 24);
    EXPECT_EQ(ReadDelay(), 4);
    EXPECT_FALSE(RawGet(kRunPath, "Quorvel").found);
}

TEST_F(WineRegistry, LogonEntryIsWrittenCheckedAndDeletedOtherwise) {
    SaveSettings({0, 7, "2", 1, "C:\\Apps\\Clock", "ClockSet"});
    const RawValue stored = RawGet(kRunPath, "Quorvel");
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(WithoutApiNul(stored.data), Bytes("\"c:\\apps\\clock\\ClockSet.exe\" -startup"));
    EXPECT_TRUE(ReadLogonEntryExists());

    // A folder with characters outside the ANSI code page: the entry must
    // still name it, not a path with "?" in it that never starts.
    SaveSettings({0, 7, "2", 1, "C:\\Apps\\\xE6\x97\xA5\xE6\x9C\xAC", "ClockSet"});
    std::wstring wide =
        RawGetWide(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\", L"Quorvel");
    if (!wide.empty() && wide.back() == L'\0') {
        wide.pop_back();
    }
    EXPECT_EQ(wide, L"\"c:\\apps\\\u65E5\u672C\\ClockSet.exe\" -startup");
    EXPECT_TRUE(ReadLogonEntryExists());

    for (const int grayedOrUnchecked : {2, 0}) {
        SaveSettings({0, 7, "2", grayedOrUnchecked, "C:\\Apps\\Clock", "ClockSet"});
        EXPECT_FALSE(RawGet(kRunPath, "Quorvel").found) << grayedOrUnchecked;
        EXPECT_FALSE(ReadLogonEntryExists()) << grayedOrUnchecked;
    }
}

TEST_F(WineRegistry, LogonEntryCountsWhenNotEmptyWhateverItSays) {
    RawSet(kRunPath, "Quorvel", REG_SZ, {});
    EXPECT_FALSE(ReadLogonEntryExists());
    RawSet(kRunPath, "Quorvel", REG_SZ, Bytes("notepad.exe"));
    EXPECT_TRUE(ReadLogonEntryExists());
}

// --- The logon command line in its Windows form ----------------------------

TEST(WindowsLogonCommand, ForThisExecutablesOwnFolder) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    const std::string full = FromWide(std::wstring_view(path, length), CP_UTF8);
    const std::size_t slash = full.rfind('\\');
    ASSERT_NE(slash, std::string::npos) << full;
    const std::string folder = full.substr(0, slash);  // as the platform reports it: no backslash
    std::string name = full.substr(slash + 1);
    name = name.substr(0, name.rfind('.'));

    // Wine runs us from a path such as Z:\work\...; the ASCII letters of the
    // folder are folded here independently of the code under test.
    const std::string lowered = AsciiLower(folder);
    ASSERT_NE(lowered, folder) << "the folder has no capital letter to fold: " << folder;
    EXPECT_EQ(LogonCommandLine(folder, name), "\"" + lowered + "\\" + name + ".exe\" -startup");
}

TEST(WindowsLogonCommand, Rows) {
    struct Row {
        const char* folder;
        const char* name;
        const char* expected;
    };
    const Row rows[] = {
        {"C:\\Apps\\Clock", "ClockSet", "\"c:\\apps\\clock\\ClockSet.exe\" -startup"},
        {"C:\\", "ClockSet", "\"c:\\ClockSet.exe\" -startup"},
        {"D:\\Tools\\", "TIME", "\"d:\\tools\\TIME.exe\" -startup"},
        {"C:\\Program Files\\\xC3\x9C"
         "bersicht",
         "Clock",
         "\"c:\\program files\\\xC3\xBC"
         "bersicht\\Clock.exe\" -startup"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(LogonCommandLine(row.folder, row.name), row.expected) << row.folder;
    }
}

}  // namespace
}  // namespace brisendale
