// Loading and saving the settings and the logon entry through the real
// routines and store, in a temporary XDG_CONFIG_HOME.
#include "settings/stored_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <utility>

#include "platform/registry/registry_api.h"
#include "settings/logon_command.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using testing::ReadFile;
using testing::TempConfigHome;
using testing::WriteFile;

const char* const kSettings = "Software\\Quorvel\\";
const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";

LONG StoreRaw(const char* path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size()));
    }
    RegCloseKey(key);
    return result;
}

void StoreDword(const char* name, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>(bits >> shift);
    ASSERT_EQ(StoreRaw(kSettings, name, REG_DWORD, bytes), ERROR_SUCCESS);
}

std::optional<std::int32_t> StoredDword(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettings, &key) != ERROR_SUCCESS)
        return std::nullopt;
    BYTE data[4] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != 4)
        return std::nullopt;
    return static_cast<std::int32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                     static_cast<std::uint32_t>(data[3]) << 24);
}

SettingsToSave Settings(std::string delayText, int check) {
    return SettingsToSave{3, 13, std::move(delayText), check, "/opt/My Apps", "brisendale"};
}

// ---------------------------------------------------------------- loading

struct LoadRow {
    const char* name;
    std::function<void()> setup;
    std::int16_t server;
    std::int16_t zone;
    std::int32_t delay;
};

class Loading : public ::testing::TestWithParam<LoadRow> {
  protected:
    TempConfigHome home_;
};

TEST_P(Loading, RangesAndDefaults) {
    GetParam().setup();
    EXPECT_EQ(ReadServerIndex(), GetParam().server);
    EXPECT_EQ(ReadZoneIndex(), GetParam().zone);
    EXPECT_EQ(ReadDelay(), GetParam().delay);
}

void StoreAll(std::int32_t server, std::int32_t zone, std::int32_t delay) {
    StoreDword("ServerIndex", server);
    StoreDword("GMTIndex", zone);
    StoreDword("Delay", delay);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Loading,
    ::testing::Values(
        LoadRow{"EmptyStore", [] {}, 0, 7, 2},
        LoadRow{"UpperEdges", [] { StoreAll(11, 24, 9999); }, 11, 24, 9999},
        LoadRow{"LowerEdges", [] { StoreAll(0, 0, 1); }, 0, 0, 1},
        LoadRow{"MiddleValues", [] { StoreAll(5, 13, 30); }, 5, 13, 30},
        LoadRow{"JustBeyondTheTop", [] { StoreAll(12, 25, 10000); }, 0, 7, 2},
        LoadRow{"JustBelowTheBottom", [] { StoreAll(-1, -1, 0); }, 0, 7, 2},
        LoadRow{"NamesInAnotherCase",
                [] {
                    ASSERT_EQ(StoreRaw("SOFTWARE\\QUORVEL", "serverindex", REG_DWORD,
                                       std::string("\x04\0\0\0", 4)),
                              ERROR_SUCCESS);
                },
                4, 7, 2},
        // Each value stands on its own read: one missing value must not send
        // the stored others back to their defaults.
        LoadRow{"MissingServerIndexKeepsTheOthers",
                [] {
                    StoreDword("GMTIndex", 13);
                    StoreDword("Delay", 30);
                },
                0, 13, 30},
        LoadRow{"MissingZoneKeepsTheDelay",
                [] {
                    StoreDword("ServerIndex", 5);
                    StoreDword("Delay", 30);
                },
                5, 7, 30},
        LoadRow{"ZoneStoredAsTextReadsAsZero",
                [] {
                    StoreDword("ServerIndex", 5);
                    ASSERT_EQ(StoreRaw(kSettings, "GMTIndex", REG_SZ, std::string("7\0", 2)),
                              ERROR_SUCCESS);
                },
                5, 0, 2},
        LoadRow{"DelayTooLongForADwordGivesTheDefault",
                [] { ASSERT_EQ(StoreRaw(kSettings, "Delay", REG_BINARY, "12345"), ERROR_SUCCESS); },
                0, 7, 2}),
    [](const auto& info) { return std::string(info.param.name); });

struct LogonRow {
    const char* name;
    std::function<void(const TempConfigHome&)> setup;
    bool exists;
};

class LogonEntry : public ::testing::TestWithParam<LogonRow> {
  protected:
    TempConfigHome home_;
};

TEST_P(LogonEntry, ExistsWhenItHoldsText) {
    GetParam().setup(home_);
    EXPECT_EQ(ReadLogonEntryExists(), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LogonEntry,
    ::testing::Values(
        LogonRow{"None", [](const TempConfigHome&) {}, false},
        LogonRow{"EmptyText", [](const TempConfigHome&) { StoreRaw(kRun, "Quorvel", REG_SZ, ""); },
                 false},
        LogonRow{"AnyText",
                 [](const TempConfigHome&) { StoreRaw(kRun, "Quorvel", REG_SZ, "other.exe"); },
                 true},
        LogonRow{"WrittenByHand",
                 [](const TempConfigHome& home) {
                     WriteFile(home.Autostart("Quorvel"), "[Desktop Entry]\nExec=x -startup\n");
                 },
                 true},
        LogonRow{"SwitchedOffByTheDesktop",
                 [](const TempConfigHome& home) {
                     WriteFile(home.Autostart("Quorvel"),
                               "[Desktop Entry]\nExec=x -startup\nHidden=true\n");
                 },
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- saving

struct DelayRow {
    const char* name;
    const char* text;
    std::int32_t stored;
};

class SavedDelay : public ::testing::TestWithParam<DelayRow> {
  protected:
    TempConfigHome home_;
};

TEST_P(SavedDelay, IsTheRoundedNumericValue) {
    SaveSettings(Settings(GetParam().text, 0));
    EXPECT_EQ(StoredDword("Delay"), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Rows, SavedDelay,
                         ::testing::Values(DelayRow{"HalfGoesDown", "2.5", 2},
                                           DelayRow{"HalfGoesUp", "3.5", 4},
                                           DelayRow{"LeadingZeros", "0012", 12},
                                           DelayRow{"Plain", "9999", 9999},
                                           DelayRow{"SaturatesHigh", "1e10", INT32_MAX},
                                           DelayRow{"SaturatesLow", "-1e10", INT32_MIN}),
                         [](const auto& info) { return std::string(info.param.name); });

class Saving : public ::testing::Test {
  protected:
    TempConfigHome home_;
};

TEST_F(Saving, WritesEveryValueAndReadsBack) {
    SaveSettings(SettingsToSave{11, 24, "9999", 0, "/opt", "brisendale"});
    EXPECT_EQ(ReadServerIndex(), 11);
    EXPECT_EQ(ReadZoneIndex(), 24);
    EXPECT_EQ(ReadDelay(), 9999);
    SaveSettings(SettingsToSave{-1, -1, "1", 0, "/opt", "brisendale"});
    EXPECT_EQ(StoredDword("ServerIndex"), -1);
    EXPECT_EQ(StoredDword("GMTIndex"), -1);
}

TEST_F(Saving, CheckedBoxWritesAnAutostartEntryThatOtherValuesRemove) {
    SaveSettings(Settings("2", 1));
    EXPECT_EQ(ReadFile(home_.Autostart("Quorvel")),
              "[Desktop Entry]\nType=Application\nName=Quorvel\n"
              "Exec=\"/opt/My Apps/brisendale\" -startup\n"
              "TryExec=/opt/My Apps/brisendale\nIcon=org.brisendale.Brisendale\n");
    EXPECT_TRUE(ReadLogonEntryExists());
    SaveSettings(Settings("2", 2));
    EXPECT_FALSE(std::filesystem::exists(home_.Autostart("Quorvel")));
    EXPECT_FALSE(ReadLogonEntryExists());
    SaveSettings(Settings("2", 1));
    SaveSettings(Settings("2", 0));
    EXPECT_FALSE(ReadLogonEntryExists());
    SaveSettings(Settings("2", 0));  // nothing to delete, nothing reported
    EXPECT_FALSE(ReadLogonEntryExists());
}

TEST_F(Saving, EntryForAnAwkwardFolderReadsBackExactly) {
    const SettingsToSave settings{0, 7, "2", 1, "/opt/a\\b $c \"q\" 50%/J\xC3\xB6rg", "Uhr"};
    SaveSettings(settings);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kRun, &key), ERROR_SUCCESS);
    char buffer[512];
    DWORD size = sizeof buffer;
    ASSERT_EQ(
        RegQueryValueExA(key, "Quorvel", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(std::string(buffer, size), LogonCommandLine(settings.appFolder, settings.exeName));
}

TEST_F(Saving, BrokenStoreGivesDefaultsAndIsNeverWritten) {
    const std::string garbage(3000, 'x');
    WriteFile(home_.Store(), garbage);
    EXPECT_EQ(ReadServerIndex(), 0);
    EXPECT_EQ(ReadZoneIndex(), 7);
    EXPECT_EQ(ReadDelay(), 2);
    SaveSettings(Settings("5", 1));
    EXPECT_EQ(ReadFile(home_.Store()), garbage);
    EXPECT_TRUE(ReadLogonEntryExists());
}

// ---------------------------------------------------------------- command line

struct CommandRow {
    const char* name;
    const char* folder;
    const char* exe;
    const char* line;
};

class LogonCommand : public ::testing::TestWithParam<CommandRow> {};

TEST_P(LogonCommand, QuotesThePathAsItIs) {
    EXPECT_EQ(LogonCommandLine(GetParam().folder, GetParam().exe), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LogonCommand,
    ::testing::Values(CommandRow{"RootFolder", "/", "brisendale", "\"/brisendale\" -startup"},
                      CommandRow{"FolderWithBlanks", "/opt/My Apps", "Brisendale",
                                 "\"/opt/My Apps/Brisendale\" -startup"},
                      CommandRow{"TrailingSlashNotDoubled", "/opt/x/", "b",
                                 "\"/opt/x/b\" -startup"},
                      CommandRow{"NonAsciiKeepsItsCase", "/home/J\xC3\xB6rg/Uhr", "Uhr",
                                 "\"/home/J\xC3\xB6rg/Uhr/Uhr\" -startup"},
                      CommandRow{"ExecSpecialCharacters", "/a\"b$c`d\\e%f", "x",
                                 "\"/a\\\"b\\$c\\`d\\\\e%%f/x\" -startup"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brisendale
